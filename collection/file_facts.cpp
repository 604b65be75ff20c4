// collection/file_facts.cpp
#include "collection/file_facts.h"

#include "imagelib/core/image.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kKilo = std::uint64_t(1) << 10;
constexpr std::uint64_t kMega = std::uint64_t(1) << 20;

} // namespace

QString SizeText(std::uint64_t bytes)
{
    const QString digits = QString::number(bytes);
    QString text;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += u',';
        text += digits[i];
    }
    return text;
}

QString ColourText(std::uint32_t bpp)
{
    // From 64 bits on the count no longer fits; such pictures show the largest.
    const std::uint64_t colours = std::uint64_t(1) << std::min<std::uint32_t>(bpp, 63);
    if (colours < kKilo)
        return QString::number(colours);
    if (colours >= kMega)
        return QStringLiteral("%1M").arg(colours / kMega);
    return QStringLiteral("%1K").arg(colours / kKilo);
}

QString PropertiesText(std::uint32_t width, std::uint32_t height, std::uint32_t bpp)
{
    return QStringLiteral("%1x%2x%3").arg(width).arg(height).arg(ColourText(bpp));
}

QString PropertiesText(const ZvImage *picture)
{
    if (!picture)
        return QString();
    return PropertiesText(picture->GetOrignWidth(), picture->GetOrignHeight(), picture->GetOrignBpp());
}

QString ResolutionText(std::int32_t dpi, std::uint32_t width, std::uint32_t height, const QString &typeName)
{
    const std::int32_t shown = dpi > 1 ? dpi : 72;
    const float mmWidth = float(width) / float(shown) * 25.4f;
    const float mmHeight = float(height) / float(shown) * 25.4f;
    return QStringLiteral("Resolution:%1 DPI\r\n%2x%3 mm\r\n%4")
        .arg(shown)
        .arg(double(mmWidth), 0, 'f', 2)
        .arg(double(mmHeight), 0, 'f', 2)
        .arg(typeName);
}

QString ModifiedText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ThumbTooltipText(const TooltipFacts &f)
{
    return QStringLiteral("%1\r\n%2 bytes\r\n%3\r\n%4\r\n%5")
        .arg(f.path, SizeText(f.size), PropertiesText(f.width, f.height, f.bpp),
             ResolutionText(f.resolution, f.width, f.height, f.typeName), ModifiedText(f.modified));
}
