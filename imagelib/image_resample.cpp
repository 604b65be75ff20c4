// imagelib/image_resample.cpp
#include "imagelib/image.h"

bool ZvImage::Resample(std::int32_t, std::int32_t, int, ZvImage *)
{
    return false;
}
