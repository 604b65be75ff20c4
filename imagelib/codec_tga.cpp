// imagelib/codec_tga.cpp
#include "imagelib/codec_tga.h"

bool ZvImageTGA::Decode(ZvFile *)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool ZvImageTGA::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Encode: Unknown format");
    return false;
}
