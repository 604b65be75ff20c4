// fuzz/fuzz_raw_decode.cpp
// The last input byte picks the embedded preview (a reduced decode), header
// only, or the full development, so one corpus reaches all three paths; another
// bit keeps the photo information, whose EXIF block is built from what the
// library parsed.
#include "imagelib/codecs/raw/codec_raw.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint8_t knob = size ? data[size - 1] : 0;
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImageRAW raw;
    if (knob & 1)
        raw.SetReducedDecode(1 + (knob >> 4) * 8, 1 + (knob >> 4) * 8);
    if (knob & 2)
        raw.SetEscape(-1);
    raw.SetKeepPhotoInfo(knob & 4);
    const bool ok = raw.Decode(&file);
    if (ok && !(knob & 2) && (!raw.IsValid() || raw.GetBpp() != 24))
        std::abort();
    return 0;
}
