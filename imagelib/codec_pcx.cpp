// imagelib/codec_pcx.cpp
#include "imagelib/codec_pcx.h"

bool ZvImagePCX::Decode(ZvFile *)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool ZvImagePCX::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Encode: Unknown format");
    return false;
}
