// collection/file_facts.h
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

class ZvImage;

// The texts that describe a picture file in the browser's tooltip and in
// the selected-image list.

// Bytes with a "," after every three digits from the right: 1234567 gives
// "1,234,567". The whole size is shown, also from 2 GiB on.
QString SizeText(std::uint64_t bytes);
// 2 to the power of bpp: below 1024 the number, from 2^20 on "%dM" of
// millions (2^20), otherwise "%dK" (2^10).
QString ColourText(std::uint32_t bpp);
// "%dx%dx%s": as-loaded width, height and colour text.
QString PropertiesText(std::uint32_t width, std::uint32_t height, std::uint32_t bpp);
// The properties of a thumbnail's picture (as-loaded facts); empty without one.
QString PropertiesText(const ZvImage *picture);
// "Resolution:%d DPI\r\n%.2fx%.2f mm\r\n%s"; a resolution of 1 or less counts as 72.
QString ResolutionText(std::int32_t dpi, std::uint32_t width, std::uint32_t height, const QString &typeName);
// "%Y-%m-%d %H:%M:%S" of a local time.
QString ModifiedText(const QDateTime &time);

struct TooltipFacts
{
    QString path;
    std::uint64_t size = 0;
    QString typeName;
    QDateTime modified;
    std::uint32_t width = 0; // as loaded
    std::uint32_t height = 0;
    std::uint32_t bpp = 0;
    std::int32_t resolution = 0;
};
// "%s\r\n%s bytes\r\n%s\r\n%s\r\n%s": path, size, properties, resolution, modified.
QString ThumbTooltipText(const TooltipFacts &facts);
