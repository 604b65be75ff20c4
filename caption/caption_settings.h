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

// How the caption's text is set off from the picture under it.
enum class CaptionEffect : std::int32_t {
    None = 0,
    Outline = 1, // a ring of effectSize pixels around every glyph
    Shadow = 2,  // a copy offset by effectSize pixels right and down, under the text
};

// What a caption box has beyond the plain box: each default leaves the
// caption exactly as the plain box draws it, so a design that uses none of
// these stamps the same pixels as before they existed.
//
// Pixel measures here (padding, effectSize), like the offsets and the font
// height, are pixels of the picture the design is made for. With
// referenceSide > 0 ("Size with the picture") that picture is one whose
// shorter side is referenceSide pixels, and every pixel measure is scaled
// to each picture by its own shorter side over referenceSide.
struct CaptionStyle
{
    float referenceSide = 0; // 0: sizes are plain picture pixels
    bool wordWrap = false;   // break lines at word boundaries to the box's width
    bool fitToBox = false;   // the largest font height at which the text fits
    float padding = 0;       // inner margin on all four sides
    CaptionEffect effect = CaptionEffect::None;
    COLORREF effectColor = 0;       // 0x00BBGGRR
    float effectSize = 2;           // outline width or shadow distance
    std::int32_t backOpacity = 100; // per cent, 0..100, of the back colour
    QString logoPath;               // a PNG or SVG drawn in the box, scaled to fit; empty: none
    std::int32_t logoOpacity = 100; // per cent, 0..100
    bool operator==(const CaptionStyle &) const = default;
};

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
    CaptionStyle style;
};
