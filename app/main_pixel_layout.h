// app/main_pixel_layout.h
#pragma once

#include "app/main_layout.h"

#include <QLayout>

#include <optional>
#include <vector>

// Applies layoutMainWindow to the main window's controls the way Qt's own
// layouts apply theirs: each resize of the window reaches setGeometry, which
// puts every control where the pure function says. The window owns the
// widgets, the layout the items that stand for them. UI thread only.
class MainPixelLayout : public QLayout
{
  public:
    // Which rectangle of MainLayout a control takes.
    enum class Role { FolderLabel, Tree, Tabs, Export, Help, About, Quit };

    // start: where the controls sit before any resize (see MainLayout).
    MainPixelLayout(QWidget *window, const MainLayout &start);
    ~MainPixelLayout() override;

    void addWidget(QWidget *widget, Role role);

    // The window opens at kMainInitialSize and cannot shrink below kMainMinimumSize.
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

    MainLayout mStart;
    std::vector<Entry> mEntries;
};
