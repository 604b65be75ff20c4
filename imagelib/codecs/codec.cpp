// imagelib/codecs/codec.cpp
#include "imagelib/codecs/codec.h"

bool ZvCodec::EncodeSafeCheck(ZvFile *stream)
{
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    if (!mDib) {
        SetLastError("null image!!!");
        return false;
    }
    return true;
}
