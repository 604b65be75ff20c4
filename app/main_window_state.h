// app/main_window_state.h
#pragma once

#include <QSize>
#include <QString>

class ProfileStore;

// What the main window keeps of itself between runs, in the profile's
// "Main Window" section beside the tree's width (CTreeSplitter): the size of
// the window as last shown unmaximized, whether it was maximized, and the
// folder last browsed. A missing or damaged value reads as not kept. Plain
// values; UI thread, like the store.
struct MainWindowState
{
    QSize size; // pixels; invalid when not kept
    bool maximized = false;
    QString folder; // as the window had it, ending in "/"; empty when not kept

    static MainWindowState Load(const ProfileStore &profile);
    // One write of the file; false when it could not be written.
    bool Save(ProfileStore &profile) const;
};

extern const char kMainWindowSection[];
