// collection/thumb_item.h
#pragma once

#include "collection/file_entry.h"
#include "collection/thumb_obj.h"

#include <memory>

// One browser item: the facts of its file and its thumbnail, owned, or none
// until the loader delivers one.
struct ThumbItem
{
    FileEntry entry;
    std::unique_ptr<CThumbObj> thumb;
    bool vanished = false; // a refresh did not find the file again

    // Has a thumbnail to show (attached by the list).
    bool HasThumb() const { return thumb && thumb->Attached(); }
    // Waits for the loader: no thumbnail, or one to be made again.
    bool Pending() const { return !thumb || (!thumb->Attached() && !thumb->Made()); }
};
