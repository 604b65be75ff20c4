// imagelib/codec_bmp.cpp
#include "imagelib/codec_bmp.h"

bool ZvImageBMP::Decode(ZvFile *)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool ZvImageBMP::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Encode: Unknown format");
    return false;
}
