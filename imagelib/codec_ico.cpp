// imagelib/codec_ico.cpp
#include "imagelib/codec_ico.h"

bool ZvImageICO::Decode(ZvFile *)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool ZvImageICO::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Encode: Unknown format");
    return false;
}
