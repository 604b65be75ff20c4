// platform/font_map.cpp
#include "platform/font_map.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Size at which a font's proportions are measured; large enough that the
// rounding of hinted metrics does not matter.
constexpr int kReferencePixels = 1000;

struct GenericFamily
{
    std::uint8_t familyBits;
    const char *family;
    QFont::StyleHint hint;
};

// Family bits of lfPitchAndFamily to fontconfig's generic names.
constexpr GenericFamily kGenericFamilies[] = {
    {FF_ROMAN, "serif", QFont::Serif},          {FF_SWISS, "sans-serif", QFont::SansSerif},
    {FF_MODERN, "monospace", QFont::Monospace}, {FF_SCRIPT, "cursive", QFont::Cursive},
    {FF_DECORATIVE, "fantasy", QFont::Fantasy},
};

void applyPitchAndFamily(QFont &font, std::uint8_t pitchAndFamily)
{
    if ((pitchAndFamily & 0x03) == FIXED_PITCH) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::Monospace);
        return;
    }
    for (const GenericFamily &g : kGenericFamilies) {
        if ((pitchAndFamily & 0xF0) == g.familyBits) {
            font.setFamily(QString::fromLatin1(g.family));
            font.setStyleHint(g.hint);
            return;
        }
    }
    font.setFamily(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
}

int clampPixels(std::int64_t px)
{
    return int(std::clamp<std::int64_t>(px, 1, kMaxFontPixels));
}

// The em size whose ascent + descent is the requested cell height.
int pixelsForCell(QFont font, std::int64_t cell)
{
    font.setPixelSize(kReferencePixels);
    const QFontMetricsF fm(font);
    const qreal ref = fm.ascent() + fm.descent();
    if (ref <= 0)
        return clampPixels(cell);
    return clampPixels(std::llround(double(cell) * kReferencePixels / ref));
}

int pixelSizeFor(const QFont &font, std::int32_t height)
{
    if (height < 0)
        return clampPixels(-std::int64_t(height));
    return pixelsForCell(font, height > 0 ? height : kDefaultCellHeight);
}

// GDI's width is an average character width; Qt's stretch is a percentage of
// the font's own, so measure the natural average first.
void applyWidth(QFont &font, std::int32_t width)
{
    const qreal natural = QFontMetricsF(font).averageCharWidth();
    if (natural <= 0)
        return;
    const double stretch = std::clamp(100.0 * width / natural, 1.0, 4000.0);
    font.setStretch(int(std::lround(stretch)));
}

} // namespace

QFont FontFromLogFont(const LOGFONT &lf)
{
    QFont font;
    const QString face = LogFontFaceName(lf);
    if (!face.isEmpty())
        font.setFamily(face);
    else
        applyPitchAndFamily(font, lf.lfPitchAndFamily);
    const std::int32_t weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight;
    font.setWeight(QFont::Weight(std::clamp<std::int32_t>(weight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfQuality == NONANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(pixelSizeFor(font, lf.lfHeight));
    if (lf.lfWidth > 0)
        applyWidth(font, lf.lfWidth);
    return font;
}

LOGFONT LogFontFromFont(const QFont &font)
{
    LOGFONT lf;
    int pixels = font.pixelSize();
    if (pixels <= 0)
        pixels = int(std::lround(font.pointSizeF() * 96.0 / 72.0));
    lf.lfHeight = -std::clamp(pixels, 1, kMaxFontPixels);
    lf.lfWeight = std::clamp(int(font.weight()), 1, 1000);
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfQuality = PROOF_QUALITY;
    SetLogFontFaceName(lf, font.family());
    return lf;
}

QString LogFontFaceName(const LOGFONT &lf)
{
    const void *nul = std::memchr(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    const std::size_t n =
        nul ? std::size_t(static_cast<const char *>(nul) - lf.lfFaceName) : sizeof(lf.lfFaceName);
    return QString::fromUtf8(lf.lfFaceName, qsizetype(n));
}

void SetLogFontFaceName(LOGFONT &lf, const QString &face)
{
    const QByteArray utf8 = face.toUtf8();
    std::size_t n = std::min<std::size_t>(std::size_t(utf8.size()), sizeof(lf.lfFaceName) - 1);
    // Step back over continuation bytes so a character is never cut in two.
    while (n > 0 && n < std::size_t(utf8.size()) && (std::uint8_t(utf8[qsizetype(n)]) & 0xC0) == 0x80)
        --n;
    std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    std::memcpy(lf.lfFaceName, utf8.constData(), n);
}
