// fuzz/fuzz_wbmp_decode.cpp
// The WBMP decoder both ways: named as WBMP (lenient about trailing bytes)
// and as content sniffing asks for it (an exact fit).
#include "imagelib/codecs/wbmp/codec_wbmp.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImage image;
    image.Decode(&file, ZV_TYPE_WBMP);
    ZvMemFile again(const_cast<std::uint8_t *>(data), size);
    ZvImageWBMP exact(ZvImageWBMP::Fit::Exact);
    exact.Decode(&again);
    return 0;
}
