// imagelib/image_rotate.cpp
#include "imagelib/image.h"

bool ZvImage::RotateLeft(ZvImage *)
{
    return false;
}

bool ZvImage::RotateRight(ZvImage *)
{
    return false;
}

bool ZvImage::Rotate180(ZvImage *)
{
    return false;
}
