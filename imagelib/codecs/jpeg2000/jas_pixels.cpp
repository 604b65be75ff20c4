// imagelib/codecs/jpeg2000/jas_pixels.cpp
#include "imagelib/codecs/jpeg2000/jas_pixels.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/streams/file.h"

void jasCreate(ZvImage &image, std::uint32_t width, std::uint32_t height, std::uint32_t bpp,
               std::uint32_t type)
{
    if (!image.Create(width, height, bpp, type))
        throw ZvCodecError(image.GetLastError());
    if (image.GetBpp() == 8)
        image.SetGrayPalette();
}

std::uint8_t *jasTopRow(const ZvImage &image, std::uint32_t y)
{
    return image.GetBits(image.GetHeight() - 1 - y);
}

void jasCheckEscape(const ZvImage &image)
{
    if (image.GetEscape() != 0)
        throw ZvCodecError("Cancelled");
}

void jasGreyRow(const ZvImage &image, std::uint32_t y, std::uint8_t *out)
{
    const std::uint8_t *row = jasTopRow(image, y);
    const RGBQUAD *pal = image.GetPalette();
    const std::uint32_t width = image.GetWidth();
    switch (image.GetBpp()) {
    case 8:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = pal[row[x]].rgbRed;
        break;
    case 4:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = pal[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)].rgbRed;
        break;
    default:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = pal[(row[x >> 3] >> (7 - (x & 7))) & 1].rgbRed;
        break;
    }
}

void jasRgbRow(const ZvImage &image, std::uint32_t y, std::uint8_t *out)
{
    const std::uint8_t *row = jasTopRow(image, y);
    const std::uint32_t width = image.GetWidth();
    for (std::uint32_t x = 0; x < width; ++x, row += 3, out += 3) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
    }
}

ZvSampleScale::ZvSampleScale(std::uint32_t max)
    : mMax(max ? max : 1)
{
    if (mMax > 65535)
        return;
    mTable.resize(mMax + 1);
    for (std::uint64_t v = 0; v <= mMax; ++v)
        mTable[v] = std::uint8_t((v * 255 + mMax / 2) / mMax);
}

void jasWriteBytes(ZvFile *stream, const void *data, std::uint64_t size, const char *message)
{
    if (size > 0 && stream->Write(data, 1, std::size_t(size)) != size)
        throw ZvCodecError(message);
}
