// imagelib/codecs/jpeg/jpeg_scale.cpp
#include "imagelib/codecs/jpeg/jpeg_scale.h"

#include <initializer_list>

int chooseJpegScale(std::int64_t shownWidth, std::int64_t shownHeight, std::int64_t targetWidth,
                    std::int64_t targetHeight)
{
    for (int d : {8, 4, 2}) {
        if (reducedSide(shownWidth, d) >= targetWidth && reducedSide(shownHeight, d) >= targetHeight)
            return d;
    }
    return 1;
}
