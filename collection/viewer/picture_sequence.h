// collection/viewer/picture_sequence.h
#pragma once

#include <QString>

// The pictures the full-screen viewer steps through: the thumbnail browser
// or the selected-image list, adapted by the main window. Index 0 is the
// first picture. UI thread only.
class PictureSequence
{
  public:
    virtual ~PictureSequence() = default;

    virtual int Count() const = 0;
    virtual QString PathAt(int index) const = 0;
    // The picture's turn in degrees (0, 90, -90, 180); 0 for the browser.
    virtual int RotationAt(int index) const = 0;
    // The picture the viewer opens on and steps from (the browser's focused
    // item, the list's selected row); -1 when there is none.
    virtual int Current() const = 0;
    // Makes index current: gives the browser item the focus, or selects the
    // list's row (which shows it on the Batch Settings page as well).
    virtual void SetCurrent(int index) = 0;
};
