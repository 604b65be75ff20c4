// caption/caption_scale.cpp
#include "caption/caption_scale.h"

#include "platform/font_map.h"

#include <algorithm>
#include <cmath>

namespace {

// Offsets beyond this are far outside every picture; keeps float products finite.
constexpr double kOffsetLimit = 1.0e9;

float scaled(float v, double k)
{
    return float(std::clamp(double(v) * k, -kOffsetLimit, kOffsetLimit));
}

float scaledWhole(float v, double k)
{
    return std::round(scaled(v, k));
}

// A font height or width: 0 means "the default" and has no pixels to scale.
std::int32_t scaledHeight(std::int32_t height, double k)
{
    if (height == 0)
        return 0;
    const double magnitude =
        std::clamp(std::round(std::fabs(double(height)) * k), 1.0, double(kMaxFontPixels));
    return height < 0 ? -std::int32_t(magnitude) : std::int32_t(magnitude);
}

} // namespace

double CaptionScaleFactor(const CaptionStyle &style, std::int64_t width, std::int64_t height)
{
    const double reference = style.referenceSide;
    if (!std::isfinite(reference) || reference <= 0 || width <= 0 || height <= 0)
        return 1.0;
    return double(std::min(width, height)) / reference;
}

CaptionSettings CaptionForPicture(const CaptionSettings &design, std::int64_t width, std::int64_t height)
{
    if (!(design.style.referenceSide > 0))
        return design;
    const double k = CaptionScaleFactor(design.style, width, height);
    CaptionSettings out = design;
    out.offsets = {scaledWhole(design.offsets.left, k), scaledWhole(design.offsets.top, k),
                   scaledWhole(design.offsets.right, k), scaledWhole(design.offsets.bottom, k)};
    out.font.lfHeight = scaledHeight(design.font.lfHeight, k);
    out.font.lfWidth = scaledHeight(design.font.lfWidth, k); // glyphs keep their proportions
    out.style.padding = scaled(design.style.padding, k);
    out.style.effectSize = scaled(design.style.effectSize, k);
    out.style.referenceSide = 0;
    return out;
}
