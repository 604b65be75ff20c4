// imagelib/codec_png.cpp
#include "imagelib/codec_png.h"

bool ZvImagePNG::Decode(ZvFile *)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool ZvImagePNG::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Encode: Unknown format");
    return false;
}
