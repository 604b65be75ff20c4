// app/tree_splitter.h
#pragma once

#include <QSplitter>

class ProfileStore;

// The splitter between the folder tree's pane and the tab control. The pane
// keeps the width the user drags it to, which the profile keeps for the next
// start; the tab control takes what the window grows by and never gets
// narrower than its minimum width. A window made narrower squeezes the pane,
// and made wider again gives it back its width. UI thread only; the profile
// outlives the splitter.
class CTreeSplitter : public QSplitter
{
    Q_OBJECT

  public:
    // pane: the tree's pane, tabs: the tab control; both become children.
    // handleWidth in pixels, minimumPane the narrowest pane the user can make.
    CTreeSplitter(QWidget *pane, QWidget *tabs, int handleWidth, int minimumPane, ProfileStore &profile,
                  QWidget *parent);

    // The width the user gave the pane, kept in the profile; 0 when never moved.
    static int StoredWidth(const ProfileStore &profile);

    // The pane's width as wanted (from the profile, or defaultWidth).
    int WantedWidth() const { return mWanted; }
    void SetWantedWidth(int width) { mWanted = width; }
    // Gives the pane its wanted width, as far as the tab control leaves room.
    void ApplyWidth();

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    ProfileStore &mProfile;
    int mMinimumPane;
    int mWanted = 0; // pixels
};
