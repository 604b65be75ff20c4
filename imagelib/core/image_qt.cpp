// imagelib/core/image_qt.cpp
// Drawing a picture with QPainter and taking one over from a QImage.
#include "imagelib/core/image.h"

#include <QPainter>
#include <QRect>

#include <cstring>

namespace {

QList<QRgb> colorTable(const RGBQUAD *pal, std::uint32_t n)
{
    QList<QRgb> table;
    table.reserve(int(n));
    for (std::uint32_t i = 0; i < n; ++i)
        table.append(qRgb(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue));
    return table;
}

} // namespace

long ZvImage::Stretch(QPainter &painter, std::int32_t xoffset, std::int32_t yoffset, std::int32_t xsize,
                      std::int32_t ysize) const
{
    if (!mDib || !painter.isActive())
        return 0;
    const int w = mHead.biWidth;
    const int h = mHead.biHeight;
    const qsizetype stride = qsizetype(mInfo.dwEffWidth);
    uchar *bits = mInfo.pImage;

    // Wrap the bottom-up rows as they are; the flip happens while drawing.
    QImage rows;
    switch (mHead.biBitCount) {
    case 24: rows = QImage(bits, w, h, stride, QImage::Format_BGR888); break;
    case 8:
        rows = QImage(bits, w, h, stride, QImage::Format_Indexed8);
        rows.setColorTable(colorTable(GetPalette(), 256));
        break;
    case 1:
        rows = QImage(bits, w, h, stride, QImage::Format_Mono);
        rows.setColorTable(colorTable(GetPalette(), 2));
        break;
    case 4: {
        // Qt has no 4-bit format: expand to one index per byte.
        rows = QImage(w, h, QImage::Format_Indexed8);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t *src = bits + std::size_t(y) * mInfo.dwEffWidth;
            uchar *dst = rows.scanLine(y);
            for (int x = 0; x < w; ++x)
                dst[x] = BlindGetPixelIndex(src, x, 4);
        }
        rows.setColorTable(colorTable(GetPalette(), 16));
        break;
    }
    default: return 0;
    }

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.translate(xoffset, yoffset + ysize);
    painter.scale(1.0, -1.0);
    painter.drawImage(QRect(0, 0, xsize, ysize), rows);
    painter.restore();
    return 1;
}

long ZvImage::Stretch(QPainter &painter, const QRect &rect) const
{
    // RECT semantics: right and bottom are exclusive.
    return Stretch(painter, rect.left(), rect.top(), rect.right() + 1 - rect.left(),
                   rect.bottom() + 1 - rect.top());
}

bool ZvImage::CreateFromHBITMAP(const QImage &bitmap)
{
    if (!Destroy())
        return false;
    if (bitmap.isNull()) {
        SetLastError("GetDIBits failed");
        return false;
    }
    const int w = bitmap.width();
    const int h = bitmap.height();
    const bool indexed = bitmap.format() == QImage::Format_Indexed8 ||
                         bitmap.format() == QImage::Format_Mono || bitmap.format() == QImage::Format_MonoLSB;
    if (indexed) {
        const QImage src = bitmap.format() == QImage::Format_Indexed8
                               ? bitmap
                               : bitmap.convertToFormat(QImage::Format_Indexed8, bitmap.colorTable());
        const std::uint32_t bpp = bitmap.format() == QImage::Format_Indexed8 ? 8 : 1;
        if (!Create(std::uint32_t(w), std::uint32_t(h), bpp, ZV_TYPE_UNKNOWN))
            return false;
        const QList<QRgb> table = src.colorTable();
        for (int i = 0; i < table.size() && i < int(GetNumColors()); ++i)
            SetPaletteColor(std::uint8_t(i),
                            RGBQUAD{std::uint8_t(qBlue(table[i])), std::uint8_t(qGreen(table[i])),
                                    std::uint8_t(qRed(table[i])), 0});
        for (int y = 0; y < h; ++y) {
            const uchar *line = src.constScanLine(h - 1 - y);
            for (int x = 0; x < w; ++x)
                SetPixelIndex(x, y, line[x]);
        }
        return true;
    }
    const QImage src = bitmap.convertToFormat(QImage::Format_BGR888);
    if (!Create(std::uint32_t(w), std::uint32_t(h), 24, ZV_TYPE_UNKNOWN))
        return false;
    for (int y = 0; y < h; ++y)
        std::memcpy(GetBits(std::uint32_t(y)), src.constScanLine(h - 1 - y), std::size_t(w) * 3);
    return true;
}
