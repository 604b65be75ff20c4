// imagelib/codec_wbmp.cpp
#include "imagelib/codec_wbmp.h"

bool ZvImageWBMP::Decode(ZvFile *)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool ZvImageWBMP::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Encode: Unknown format");
    return false;
}
