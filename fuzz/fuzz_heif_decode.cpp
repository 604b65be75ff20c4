// fuzz/fuzz_heif_decode.cpp
// The last input byte picks a reduced decode (the thumbnail path), header
// only, and whether photo information is kept, so one corpus reaches all
// three paths of the reader.
#include "imagelib/codecs/heif/codec_heif.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint8_t knob = size ? data[size - 1] : 0;
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImageHEIF heif;
    if (knob & 1)
        heif.SetReducedDecode(1 + (knob >> 4) * 16, 1 + (knob >> 4) * 16);
    if (knob & 2)
        heif.SetEscape(-1);
    heif.SetKeepPhotoInfo((knob & 4) != 0);
    const bool ok = heif.Decode(&file);
    if (ok && !(knob & 2) && (!heif.IsValid() || heif.GetBpp() != 24))
        std::abort();
    if (ok && heif.GetPhotoInfo() && !(knob & 4))
        std::abort();
    return 0;
}
