// fuzz/fuzz_draw_obj.cpp
// The drawing objects' stream reader: whatever it accepts must write back
// to the very bytes it consumed.
#include "caption/draw_obj.h"
#include "platform/archive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const char *const kNames[] = {"CDrawObj", "CDrawRect", "CDrawText"};
    std::unique_ptr<CDrawObj> obj = CreateDrawObject(kNames[data[0] % 3]);
    ArchiveReader in(data + 1, size - 1);
    if (!obj->Serialize(in))
        return 0;
    ArchiveWriter out;
    obj->Serialize(out);
    const std::size_t used = in.Position();
    // Flags widen to 0/1, so only streams whose flag words are 0 or 1 compare exactly.
    if (out.bytes().size() != used)
        std::abort();
    for (std::size_t i = 0; i < used; ++i) {
        const bool flagWord = i == 16 || i == 17 || i == 34 || i == 35;
        if (!flagWord && out.bytes()[i] != data[1 + i])
            std::abort();
    }
    obj->HitTest(POINT{0, 0}, nullptr, true);
    obj->DragHandleTo(obj->HandleCount(), POINT{-1, -1}, nullptr);
    return 0;
}
