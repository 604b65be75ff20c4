// app/main_pixel_layout.h
#pragma once

#include "app/main_layout.h"

#include "controls/pixel_layout.h"

// Applies layoutMainWindow to the main window's controls: each resize of the
// window reaches setGeometry, which puts every control where the pure
// function says. UI thread only.
class MainPixelLayout : public PixelLayout
{
  public:
    // Which rectangle of MainLayout a control takes.
    // Splitter: the splitter holding the tree's pane and the tab control,
    // which then are not placed on their own.
    enum class Role { FolderLabel, Tree, Tabs, Export, Help, About, Quit, Splitter, Presets };

    // start: where the controls sit before any resize (see MainLayout).
    MainPixelLayout(QWidget *window, const MainLayout &start);

    void addWidget(QWidget *widget, Role role) { addRole(widget, int(role)); }

    // The window opens at kMainInitialSize and cannot shrink below kMainMinimumSize.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

  protected:
    QRect rectFor(int role) const override;

  private:
    MainLayout mStart;
    MainLayout mPlaced; // as last laid out
};
