// acquire/acquire_settings.h
#pragma once

#include <QString>

// What the acquisition remembers between runs of the wizard (not stored,
// apart from the prompt choice, which lives in the profile).
struct AcquireSettings
{
    QString saveFolder;
    int format = 0; // 0 JPEG, 1 BMP, 2 TIFF, 3 PNG
    QString prefix; // empty: the wizard offers "Photo"
};
