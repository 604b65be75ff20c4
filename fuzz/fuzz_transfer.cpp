// fuzz/fuzz_transfer.cpp
// A TWAIN transfer block: measured from its own structure, then decoded.
#include "acquire/transfer_picture.h"
#include "export/format_ready.h"
#include "imagelib/core/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::size_t extent = TransferExtent(data, size);
    if (extent > size)
        __builtin_trap();
    ZvImage image;
    if (LoadTransferred(data, extent ? extent : size, image) && image.IsIndexed())
        makeJpegColours(image);
    return 0;
}
