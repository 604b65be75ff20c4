// collection/select_page_pixel_layout.h
#pragma once

#include "collection/select_page_layout.h"

#include "controls/pixel_layout.h"

// Applies SelectPageLayout to the Select Images page: each resize of the
// page reaches setGeometry, which moves every control to the rectangle
// SelectPageLayout::Resized gives for the new size. UI thread only.
class SelectPagePixelLayout : public PixelLayout
{
  public:
    // Which rectangle of SelectPageLayout a control takes.
    enum class Role {
        Acquire,
        View,
        FolderLabel,
        FolderEdit,
        Browser,
        Status,
        Add,
        AddAll,
        Remove,
        RemoveAll,
        List,
        Count
    };

    explicit SelectPagePixelLayout(QWidget *page);

    void addWidget(QWidget *widget, Role role);
    // The rectangles as last placed (the browser's frame, not the browser).
    const SelectPageLayout &placed() const { return mPlaced; }

    // The page's resource size, and the smallest size that leaves the
    // browser a row of pixels.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

  protected:
    QRect rectFor(int role) const override;

  private:
    SelectPageLayout mPlaced;
};
