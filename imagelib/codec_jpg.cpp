// imagelib/codec_jpg.cpp
#include "imagelib/codec_jpg.h"

bool ZvImageJPG::Decode(ZvFile *)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool ZvImageJPG::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Encode: Unknown format");
    return false;
}
