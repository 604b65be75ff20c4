// caption/caption_foreground.h
#pragma once

#include "caption/caption_settings.h"
#include "platform/win_types.h"

#include <QFont>
#include <QSize>
#include <QString>

#include <cstdint>

class QImage;
class QPainter;

// What a caption draws over its background, in one painter's coordinates:
// the export paints it on a copy of the picture's pixels at the picture's
// size, the preview on the screen at its scale, through the same function,
// so the two show the same thing.
struct CaptionForeground
{
    RECT inner{};           // the box minus its padding; everything is clipped to it
    QFont font;             // already at the painter's scale
    QString text;           // lines separated by LF (CaptionLayout::text)
    unsigned format = 0;    // DT_LEFT, DT_CENTER or DT_RIGHT
    COLORREF textColor = 0; // 0x00BBGGRR
    CaptionEffect effect = CaptionEffect::None;
    COLORREF effectColor = 0;
    qreal effectSize = 0; // painter pixels
    QString logoPath;     // empty: no logo
    int logoOpacity = 100;
};

// Paints the logo (scaled to fit inner keeping its aspect ratio, centred,
// with its own alpha times logoOpacity per cent), then the outline or
// shadow, then the text, all clipped to inner. A logo that cannot be read is
// left out: the caption is drawn without it. The painter's state is
// restored on return. Any thread that may use fonts, one painter each.
void PaintCaptionForeground(QPainter &painter, const CaptionForeground &part);

// Draws a caption with a style over a picture shown at shown with scale
// (screen pixels per picture pixel) as the export stamps it on that picture:
// sized for it (CaptionForPicture; width x height is the picture's own size
// after its turn, taken from shown / scale when 0), laid out in its pixels
// (LayoutCaption: the same lines and fitted height), then the box
// (PreviewBox), its back colour at its opacity and the foreground at the
// screen's scale. At scale 1 the pixels in the box are the export's.
// Returns the box. The painter's state is restored on return. Thread of the
// painter.
RECT PaintStyledCaption(QPainter &painter, const CaptionSettings &design, const RECT &shown, float scale,
                        std::int64_t width, std::int64_t height);

// The logo at path scaled to fit a box of size keeping its aspect ratio:
// an SVG rendered at that size, any other picture Qt reads (PNG) scaled
// smoothly. Null when the file cannot be read, size is empty or larger
// than 2^28 pixels. The last
// logo made on each thread is kept (by path, size and the file's time), so
// a batch reads its logo once per picture size.
QImage LogoForBox(const QString &path, QSize size);

// How far the effect reaches beyond the glyphs, in whole pixels (0 for none).
int EffectReach(CaptionEffect effect, qreal size);
