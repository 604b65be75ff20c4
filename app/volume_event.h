// app/volume_event.h
#pragma once

#include <QString>

// A volume that was mounted (arrived) or unmounted, as the volume watcher reports it.
struct VolumeEvent
{
    bool arrived = false;
    QString mountPoint;
};
