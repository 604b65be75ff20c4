// controls/pixel_layout.h
#pragma once

#include <QLayout>

#include <vector>

// A layout that puts each control at a rectangle a window's pure layout
// function computes, the way Qt's own layouts apply theirs: each resize of
// the window reaches setGeometry, which asks rectFor for every control's
// place. A subclass names the controls' roles (an enumeration of its own,
// handed over as int) and knows the rectangles. The window owns the widgets,
// the layout the items that stand for them. UI thread only.
class PixelLayout : public QLayout
{
  public:
    explicit PixelLayout(QWidget *window);
    ~PixelLayout() override;

    // An item added without a role stays where it is.
    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;

  protected:
    static constexpr int kNoRole = -1;

    // Adds a control that takes role's rectangle.
    void addRole(QWidget *widget, int role);
    // Moves every control with a role to rectFor(role) + origin.
    void placeAll(const QPoint &origin);
    // Where the control of role goes, relative to the layout's origin.
    virtual QRect rectFor(int role) const = 0;

  private:
    struct Entry
    {
        QLayoutItem *item;
        int role;
    };

    std::vector<Entry> mEntries;
};
