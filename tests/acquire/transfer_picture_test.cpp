// tests/acquire/transfer_picture_test.cpp
#include "acquire/dsm/tiff_page.h"
#include "acquire/transfer_picture.h"
#include "export/format_ready.h"
#include "imagelib/core/image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> tiffPage(TiffPageFormat format, std::uint8_t fill)
{
    std::vector<std::uint8_t> bytes(TiffHeaderBytes() + TiffRowBytes(format) * format.height, fill);
    WriteTiffHeader(bytes.data(), format);
    return bytes;
}

std::vector<std::uint8_t> dib(std::int32_t width, std::int32_t height, std::uint16_t bpp)
{
    BITMAPINFOHEADER head;
    head.biSize = 40, head.biWidth = width, head.biHeight = height, head.biPlanes = 1, head.biBitCount = bpp;
    const std::size_t colours = bpp <= 8 ? 1u << bpp : 0;
    const std::size_t row = ((std::size_t(width) * bpp + 31) / 32) * 4;
    std::vector<std::uint8_t> bytes(40 + colours * 4 + row * std::size_t(height < 0 ? -height : height));
    std::memcpy(bytes.data(), &head, 40);
    return bytes;
}

} // namespace

TEST(TransferPicture, ATiffPageIsMeasuredFromItsDirectoryAndStrip)
{
    const auto rgb = tiffPage({33, 7, 3, 8, 200}, 0x80);
    EXPECT_EQ(TransferKindOf(rgb.data(), rgb.size()), TransferKind::Tiff);
    EXPECT_EQ(TransferExtent(rgb.data(), std::size_t(1) << 30), rgb.size());
    EXPECT_EQ(TransferExtent(rgb.data(), rgb.size() - 1), 0u); // a strip past the block

    ZvImage image;
    ASSERT_TRUE(LoadTransferred(rgb.data(), rgb.size(), image)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 33u);
    EXPECT_EQ(image.GetHeight(), 7u);
    EXPECT_EQ(image.GetXDPI(), 200);
    EXPECT_EQ(image.GetPixelColor(5, 3).rgbGreen, 0x80);

    // Line art: a set bit is black.
    auto bw = tiffPage({16, 2, 1, 1, 300}, 0x00);
    bw[TiffHeaderBytes()] = 0x80; // top row, first pixel
    ASSERT_TRUE(LoadTransferred(bw.data(), bw.size(), image)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelColor(0, 1).rgbRed, 0); // y counts from the bottom
    EXPECT_EQ(image.GetPixelColor(1, 1).rgbRed, 255);
}

TEST(TransferPicture, ADibIsMeasuredFromItsHeaderAndPalette)
{
    const auto eight = dib(5, 3, 8);
    EXPECT_EQ(TransferKindOf(eight.data(), eight.size()), TransferKind::Dib);
    EXPECT_EQ(TransferExtent(eight.data(), std::size_t(1) << 30), 40u + 1024u + 8u * 3u);
    const auto top = dib(5, -3, 24);
    EXPECT_EQ(TransferExtent(top.data(), std::size_t(1) << 30), 40u + 16u * 3u);
    const std::uint8_t junk[64] = {'G', 'I', 'F', '8'};
    EXPECT_EQ(TransferExtent(junk, sizeof junk), 0u);
    ZvImage image;
    EXPECT_FALSE(LoadTransferred(junk, sizeof junk, image));
}

TEST(TransferPicture, IndexedPicturesBecomeGreyOrTrueColourForJpeg)
{
    ZvImage bw(8, 2, 1);
    std::memset(bw.GetBits(), 0, std::size_t(bw.GetEffWidth()) * bw.GetHeight());
    RGBQUAD pal[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    bw.SetPalette(pal, 2);
    bw.SetPixelIndex(3, 1, 1);
    ASSERT_TRUE(makeJpegColours(bw));
    EXPECT_EQ(bw.GetBpp(), 8u);
    EXPECT_TRUE(bw.IsGrayScale());
    EXPECT_EQ(bw.GetPixelIndex(3, 1), 255);
    EXPECT_EQ(bw.GetPixelIndex(2, 1), 0);

    ZvImage coloured(4, 1, 4);
    std::memset(coloured.GetBits(), 0, std::size_t(coloured.GetEffWidth()) * coloured.GetHeight());
    RGBQUAD colours[16] = {};
    colours[2] = {10, 20, 200, 0};
    coloured.SetPalette(colours, 16);
    coloured.SetPixelIndex(1, 0, 2);
    ASSERT_TRUE(makeJpegColours(coloured));
    EXPECT_EQ(coloured.GetBpp(), 24u);
    EXPECT_EQ(coloured.GetPixelColor(1, 0).rgbRed, 200);
    EXPECT_EQ(coloured.GetPixelColor(1, 0).rgbBlue, 10);
    EXPECT_EQ(coloured.GetPixelColor(0, 0).rgbRed, 0);
}
