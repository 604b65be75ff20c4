// caption/caption_settings.cpp
#include "caption/caption_settings.h"

#include "platform/font_map.h"

#include <cstring>

LOGFONT DefaultCaptionFont()
{
    LOGFONT lf;
    lf.lfHeight = -26;
    lf.lfWeight = FW_NORMAL;
    lf.lfQuality = PROOF_QUALITY;
    std::strcpy(lf.lfFaceName, "Arial");
    return lf;
}
