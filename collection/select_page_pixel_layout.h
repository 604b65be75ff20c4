// collection/select_page_pixel_layout.h
#pragma once

#include "collection/select_page_layout.h"

#include <QLayout>

#include <optional>
#include <vector>

// Applies SelectPageLayout to the Select Images page the way Qt's own
// layouts apply theirs: each resize of the page reaches setGeometry, which
// moves every control to the rectangle SelectPageLayout::Resized gives for
// the new size. The page owns the widgets, the layout the items that stand
// for them. UI thread only.
class SelectPagePixelLayout : public QLayout
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
    ~SelectPagePixelLayout() override;

    void addWidget(QWidget *widget, Role role);
    // The rectangles as last placed (the browser's frame, not the browser).
    const SelectPageLayout &placed() const { return mPlaced; }

    // The page's resource size, and the smallest size that leaves the
    // browser a row of pixels.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

    // An item added without a role stays where it is.
    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;

  private:
    struct Entry
    {
        QLayoutItem *item;
        std::optional<Role> role;
    };

    void place(const QPoint &origin);

    SelectPageLayout mPlaced;
    std::vector<Entry> mEntries;
};
