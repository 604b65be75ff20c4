// caption/caption_settings.h
#pragma once

#include "platform/win_types.h"

#include <QString>

#include <cstdint>

// Corner of the picture from which the caption box keeps its distance.
namespace CaptionAnchor {
constexpr std::int32_t TopLeft = 0;
constexpr std::int32_t TopRight = 1;
constexpr std::int32_t BottomLeft = 2;
constexpr std::int32_t BottomRight = 3;
} // namespace CaptionAnchor

// Text alignment in the box; the values are DrawText's DT_LEFT, DT_CENTER
// and DT_RIGHT and are passed to it unchanged.
namespace CaptionAlign {
constexpr std::int32_t Left = 0;
constexpr std::int32_t Middle = 1;
constexpr std::int32_t Right = 2;
} // namespace CaptionAlign

// Back colour value that means "no background": the box is transparent.
constexpr COLORREF kNoBackColor = 0xFF000000;

// The box edges as distances in picture pixels from the anchor corner.
// For a right anchor left >= right (left is the distance from the picture's
// right edge to the box's left edge); for a bottom anchor top >= bottom.
struct CaptionOffsets
{
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
    bool operator==(const CaptionOffsets &) const = default;
};

// The caption text a new box starts with.
inline const QString kDefaultCaptionText = QStringLiteral("http://www.zelventa.example");

// Arial, character height 26 pixels, normal weight, proof quality.
LOGFONT DefaultCaptionFont();

// Everything the export needs to stamp one caption: what a CDrawText holds
// together with its inherited anchor and offsets. Colours are COLORREF
// (0x00BBGGRR). The font height is in picture pixels.
struct CaptionSettings
{
    QString text = kDefaultCaptionText; // lines separated by CR LF (LF alone works too)
    LOGFONT font = DefaultCaptionFont();
    COLORREF backColor = kNoBackColor;
    COLORREF textColor = 0;
    std::int32_t align = CaptionAlign::Middle;
    std::int32_t anchor = CaptionAnchor::TopLeft;
    CaptionOffsets offsets;
};
