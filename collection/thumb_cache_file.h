// collection/thumb_cache_file.h
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CThumbObj;

// The thumbnail cache of a folder, "tessary.brw": a title, the folder it
// was written for, and the list of thumbnail records.
inline constexpr char kCacheFileName[] = "tessary.brw";
inline constexpr char kCacheTitle[] = "Image Thumbnail File";
// A cache at most this long holds no thumbnail worth keeping.
inline constexpr qint64 kCacheSmallSize = 300;

using ThumbObjList = std::vector<std::unique_ptr<CThumbObj>>;

// The path of the cache file of folder (which ends with "/").
QString ThumbCachePath(const QString &folder);

// The whole file for these objects.
std::vector<std::uint8_t> ThumbCacheBytes(const QString &folder,
                                          const std::vector<const CThumbObj *> &objects);

enum class CacheRead {
    Read,    // the objects were read
    Ignored, // too short, another title or folder, or an earlier schema: nothing read
    Damaged, // an error while the objects were read; error says which
};

struct CacheReadResult
{
    CacheRead status = CacheRead::Ignored;
    ThumbObjList objects; // empty unless Read
    QString error;
};

// Reads cache bytes written for folder. Checks, in this order, that there
// are more bytes than the title's length, the title (any case) and the
// folder (exactly); only then the objects.
CacheReadResult ReadThumbCacheBytes(const std::uint8_t *data, std::size_t size, const QString &folder);
// Reads the folder's cache file; Ignored when it does not exist.
CacheReadResult ReadThumbCacheFile(const QString &folder);

// Writes the file through a temporary file renamed into place, so that a
// failure leaves the old cache as it was. A read-only cache is replaced.
// False with error set on failure.
bool WriteThumbCacheFile(const QString &folder, const std::vector<std::uint8_t> &bytes, QString &error);
// Deletes the folder's cache when it exists and is at most kCacheSmallSize bytes.
void RemoveSmallThumbCache(const QString &folder);
