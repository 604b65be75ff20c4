// imagelib/image_handle.cpp
#include "imagelib/image.h"
#include "platform/global_block.h"

bool ZvImage::CreateFromHANDLE(const GlobalBlock &)
{
    Destroy();
    SetLastError("compression type not supported");
    return false;
}
