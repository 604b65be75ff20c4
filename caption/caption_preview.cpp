// caption/caption_preview.cpp
#include "caption/caption_preview.h"

#include "caption/caption_foreground.h"
#include "caption/caption_geometry.h"
#include "caption/caption_layout.h"
#include "platform/font_map.h"
#include "platform/text_draw.h"

#include <QPainter>

RECT PaintCaptionOnScreen(QPainter &painter, const CaptionSettings &caption, const RECT &shown, float scale)
{
    if (!IsPlainStyle(caption.style))
        return PaintStyledCaption(painter, caption, shown, scale, 0, 0);
    const RECT box = PreviewBox(caption.offsets, caption.anchor, shown, scale);
    painter.save();
    if (caption.backColor != kNoBackColor) {
        const RECT n = NormalizeRect(box);
        painter.fillRect(
            QRect(n.left, n.top, n.right - n.left, n.bottom - n.top),
            QColor(GetRValue(caption.backColor), GetGValue(caption.backColor), GetBValue(caption.backColor)));
    }
    painter.setFont(FontFromLogFont(PreviewFont(caption.font, scale)));
    painter.setPen(
        QColor(GetRValue(caption.textColor), GetGValue(caption.textColor), GetBValue(caption.textColor)));
    DrawText(painter, caption.text, box, unsigned(caption.align));
    painter.restore();
    return box;
}
