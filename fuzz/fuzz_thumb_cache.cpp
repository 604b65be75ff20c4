// fuzz/fuzz_thumb_cache.cpp
#include "collection/thumb_cache_file.h"
#include "collection/thumb_obj.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A cache that reads must write a cache that reads back to the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString folder = QStringLiteral("/fuzz/");
    const CacheReadResult read = ReadThumbCacheBytes(data, size, folder);
    if (read.status != CacheRead::Read)
        return 0;
    std::vector<const CThumbObj *> objects;
    for (const auto &object : read.objects)
        objects.push_back(object.get());
    const std::vector<std::uint8_t> first = ThumbCacheBytes(folder, objects);
    const CacheReadResult again = ReadThumbCacheBytes(first.data(), first.size(), folder);
    if (again.status != CacheRead::Read || again.objects.size() != objects.size())
        std::abort();
    std::vector<const CThumbObj *> copies;
    for (const auto &object : again.objects)
        copies.push_back(object.get());
    if (ThumbCacheBytes(folder, copies) != first)
        std::abort();
    return 0;
}
