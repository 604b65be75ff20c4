// platform/headless.h
#pragma once

// Prepares the environment of a terminal program for a QGuiApplication:
// the offscreen platform unless one is chosen or a display is present, and
// a private runtime folder when none is set.
void prepareHeadlessQt(bool forceOffscreen);
