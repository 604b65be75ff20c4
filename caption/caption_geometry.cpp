// caption/caption_geometry.cpp
#include "caption/caption_geometry.h"

#include "platform/font_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();
// Far beyond any picture, yet small enough that width minus it cannot wrap.
constexpr double kTruncLimit = 4.0e18;

std::int32_t saturate(std::int64_t v)
{
    return std::int32_t(std::clamp(v, kMin32, kMax32));
}

// Truncation toward zero that is defined for every float: NaN gives 0 and
// infinities saturate instead of being undefined behaviour.
std::int64_t truncate(double v)
{
    if (std::isnan(v))
        return 0;
    return std::int64_t(std::clamp(v, -kTruncLimit, kTruncLimit));
}

std::int32_t roundHalfUp(double v)
{
    return saturate(truncate(v + 0.5));
}

bool rightAnchor(std::int32_t anchor)
{
    return anchor == CaptionAnchor::TopRight || anchor == CaptionAnchor::BottomRight;
}

bool bottomAnchor(std::int32_t anchor)
{
    return anchor == CaptionAnchor::BottomLeft || anchor == CaptionAnchor::BottomRight;
}

} // namespace

float SaneScale(float scale)
{
    return std::isfinite(scale) && scale > 0 ? scale : 1.0f;
}

RECT PreviewBox(const CaptionOffsets &o, std::int32_t anchor, const RECT &shown, float scale)
{
    const double s = scale;
    const bool right = rightAnchor(anchor), bottom = bottomAnchor(anchor);
    auto x = [&](float d) { return right ? shown.right - s * d : shown.left + s * d; };
    auto y = [&](float d) { return bottom ? shown.bottom - s * d : shown.top + s * d; };
    return RECT{roundHalfUp(x(o.left)), roundHalfUp(y(o.top)), roundHalfUp(x(o.right)),
                roundHalfUp(y(o.bottom))};
}

RECT CaptionBoxInPicture(const CaptionOffsets &o, std::int32_t anchor, std::int64_t width,
                         std::int64_t height)
{
    const bool right = rightAnchor(anchor), bottom = bottomAnchor(anchor);
    auto x = [&](float d) { return saturate(right ? width - truncate(d) : truncate(d)); };
    auto y = [&](float d) { return saturate(bottom ? height - truncate(d) : truncate(d)); };
    return RECT{x(o.left), y(o.top), x(o.right), y(o.bottom)};
}

CaptionOffsets OffsetsFromPreview(const RECT &box, std::int32_t anchor, const RECT &shown, float scale)
{
    const float s = SaneScale(scale);
    const bool right = rightAnchor(anchor), bottom = bottomAnchor(anchor);
    auto dx = [&](std::int64_t edge) { return float(right ? shown.right - edge : edge - shown.left) / s; };
    auto dy = [&](std::int64_t edge) { return float(bottom ? shown.bottom - edge : edge - shown.top) / s; };
    return CaptionOffsets{dx(box.left), dy(box.top), dx(box.right), dy(box.bottom)};
}

CaptionOffsets OffsetsFromPreviewArea(const RECT &box, const RECT &preview, float scale)
{
    return OffsetsFromPreview(box, CaptionAnchor::TopLeft, preview, scale);
}

LOGFONT PreviewFont(const LOGFONT &font, float scale)
{
    LOGFONT lf = font;
    std::int64_t h = truncate(double(font.lfHeight) * double(scale));
    if (h == 0 && font.lfHeight != 0)
        h = font.lfHeight < 0 ? -1 : 1;
    lf.lfHeight = saturate(h);
    lf.lfQuality = DRAFT_QUALITY;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lf.lfPitchAndFamily = FIXED_PITCH;
    return lf;
}

RECT FitPictureRect(std::int64_t w, std::int64_t h, const RECT &bound)
{
    const std::int64_t left0 = std::min(bound.left, bound.right);
    const std::int64_t top0 = std::min(bound.top, bound.bottom);
    if (w <= 0 || h <= 0)
        return RECT{saturate(left0), saturate(top0), saturate(left0), saturate(top0)};
    const std::int64_t dw = std::llabs(std::int64_t(bound.right) - bound.left);
    const std::int64_t dh = std::llabs(std::int64_t(bound.bottom) - bound.top);
    const bool fitsInside = h < dh && w < dw;
    std::int64_t fw = 0, fh = 0;
    if (double(dh) / double(dw) >= double(h) / double(w)) {
        fw = fitsInside ? w : dw;
        fh = h * fw / w;
    } else {
        fh = fitsInside ? h : dh;
        fw = w * fh / h;
    }
    const std::int64_t left = (dw - fw) / 2 + left0;
    const std::int64_t top = (dh - fh) / 2 + top0;
    return RECT{saturate(left), saturate(top), saturate(left + fw), saturate(top + fh)};
}

RECT NormalizeRect(const RECT &r)
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

bool PtInRect(const RECT &r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool IsRectEmpty(const RECT &r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT IntersectRect(const RECT &a, const RECT &b)
{
    const RECT na = NormalizeRect(a), nb = NormalizeRect(b);
    const RECT r{std::max(na.left, nb.left), std::max(na.top, nb.top), std::min(na.right, nb.right),
                 std::min(na.bottom, nb.bottom)};
    return IsRectEmpty(r) ? RECT{} : r;
}

RECT OffsetRect(const RECT &r, std::int64_t dx, std::int64_t dy)
{
    return RECT{saturate(r.left + dx), saturate(r.top + dy), saturate(r.right + dx), saturate(r.bottom + dy)};
}

RECT InflateRect(const RECT &r, std::int32_t dx, std::int32_t dy)
{
    return RECT{saturate(std::int64_t(r.left) - dx), saturate(std::int64_t(r.top) - dy),
                saturate(std::int64_t(r.right) + dx), saturate(std::int64_t(r.bottom) + dy)};
}

QRect qRectOf(const RECT &r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

RECT rectOf(const QRect &r)
{
    return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}
