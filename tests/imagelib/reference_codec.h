// tests/imagelib/reference_codec.h
// Helpers for the codecs over the formats' own libraries (WebP, AVIF,
// JPEG XL, HEIF): source pictures written as PNG for the reference
// encoders, and the reference decoders' pixels read back as PPM.
#pragma once

#include "imagelib/core/image.h"
#include "tests/imagelib/codec_roundtrip.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

inline bool haveTool(const std::string &tool)
{
    return runCommand("command -v " + tool + " >/dev/null 2>&1") == 0;
}

#define ZV_REQUIRE_TOOL(tool)                                                                                \
    do {                                                                                                     \
        if (!haveTool(tool))                                                                                 \
            GTEST_SKIP() << (tool) << " is not installed (scripts/deps.sh test)";                            \
    } while (0)

// A 24-bit pattern with a marked top-left corner (pure white 2x2), and an
// alpha ramp when asked, as a PNG in the scratch folder.
inline std::string sourcePng(const std::string &name, int width, int height, bool alpha,
                             ZvImage *kept = nullptr)
{
    ZvImage image = makePattern24(width, height);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            image.SetPixelColor(x, height - 1 - y, RGBQUAD{255, 255, 255, 0});
    if (alpha) {
        image.AlphaCreate();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.AlphaSet(x, y, std::uint8_t(40 + (x * 200) / width));
    }
    const std::string path = scratchDir() + "/" + name + ".png";
    EXPECT_TRUE(image.Save(path.c_str(), ZV_TYPE_PNG)) << image.GetLastError();
    if (kept)
        kept->Transfer(image);
    return path;
}

// Runs a shell command (quoted by the caller); false when it fails.
inline bool run(const std::string &command)
{
    return runCommand(command + " >/dev/null 2>&1") == 0;
}

// A picture file as ImageMagick reads it into PPM, for reference decoders
// that write PNG; exact for 8-bit files.
inline Rgb8 pngPixels(const std::string &path)
{
    std::string out;
    if (runCommand("convert '" + path + "' -alpha off -depth 8 ppm:- 2>/dev/null", &out) != 0)
        return Rgb8();
    return parsePpm(out);
}

// A 16-bit gradient with a green block in its top-left corner, drawn by
// ImageMagick (extra: more of its options, before the output name).
inline std::string gradientPng(const std::string &name, int width, int height, const std::string &extra = "")
{
    const std::string png = scratchDir() + "/" + name;
    runCommand("convert -size " + std::to_string(width) + "x" + std::to_string(height) +
               " gradient:'#ff2000-#0030ff' -fill '#20ff40' -draw 'rectangle 0,0 9,5' " + extra + " " +
               shellQuoted(png));
    return png;
}

// The reference decoders' pixels; empty when the tool fails.
inline Rgb8 dwebp(const std::string &path)
{
    std::string out;
    if (runCommand("dwebp -quiet '" + path + "' -ppm -o - 2>/dev/null", &out) != 0)
        return Rgb8();
    return parsePpm(out);
}

// avifdec writes PNG; its 16-bit output keeps what a 10-bit file holds.
inline Rgb8 avifdec(const std::string &path)
{
    const std::string png = path + ".ref.png";
    if (!run("avifdec -d 8 '" + path + "' '" + png + "'"))
        return Rgb8();
    return pngPixels(png);
}

inline Rgb8 djxl(const std::string &path)
{
    const std::string png = path + ".ref.png";
    if (!run("djxl '" + path + "' '" + png + "' --bits_per_sample=8"))
        return Rgb8();
    return pngPixels(png);
}

// heif-convert's decode, a PNG of 16 bits per sample for deep pictures.
inline std::string heifConvertPng(const std::string &heif)
{
    const std::string png = heif + ".ref.png";
    if (runCommand("heif-convert " + shellQuoted(heif) + " " + shellQuoted(png) + " >/dev/null 2>&1") != 0)
        return {};
    return png;
}

// heif-convert's PNG of a 10-bit picture back at 10 bits (heif-convert
// shifts them into the high bits), each rounded to 8. ImageMagick's own
// conversion to 8 bits turns full-scale 10-bit samples into 254.
inline Rgb8 heifConvertRounded(const std::string &png)
{
    std::string out;
    if (runCommand("convert " + shellQuoted(png) + " -depth 16 ppm:- 2>/dev/null", &out) != 0)
        return {};
    Rgb8 rgb;
    int maxval = 0, consumed = 0;
    if (std::sscanf(out.c_str(), "P6 %d %d %d%n", &rgb.width, &rgb.height, &maxval, &consumed) != 3 ||
        maxval != 65535)
        return {};
    const std::size_t count = std::size_t(rgb.width) * std::size_t(rgb.height) * 3;
    if (out.size() < std::size_t(consumed) + 1 + 2 * count)
        return {};
    const auto *p = reinterpret_cast<const std::uint8_t *>(out.data()) + consumed + 1;
    for (std::size_t i = 0; i < count; ++i) {
        const int tenBits = (p[2 * i] << 8 | p[2 * i + 1]) >> 6;
        rgb.rgb.push_back(std::uint8_t((tenBits * 255 + 511) / 1023));
    }
    return rgb;
}

inline ZvImage decodedFile(const std::string &path, std::uint32_t type, bool keepInfo = false)
{
    ZvImage image;
    image.SetKeepPhotoInfo(keepInfo);
    const std::string bytes = readFile(path);
    EXPECT_TRUE(decodeBytes(bytes, type, image)) << path << ": " << image.GetLastError();
    return image;
}

// The bytes of a picture our encoder writes, saved for the reference tools.
inline std::string encodedFile(ZvImage &image, std::uint32_t type, const std::string &name)
{
    const std::string bytes = encodeBytes(image, type);
    EXPECT_FALSE(bytes.empty()) << image.GetLastError();
    const std::string path = scratchDir() + "/" + name;
    writeFile(path, bytes);
    return path;
}

// A minimal EXIF block as WebP, AVIF and JPEG XL store it: a little-endian
// TIFF structure whose directory 0 holds only the orientation.
inline std::string exifTiff(int orientation)
{
    const unsigned char bytes[] = {'I',
                                   'I',
                                   42,
                                   0,
                                   8,
                                   0,
                                   0,
                                   0, // header, directory at 8
                                   1,
                                   0, // one entry
                                   0x12,
                                   0x01,
                                   3,
                                   0,
                                   1,
                                   0,
                                   0,
                                   0, // Orientation, SHORT, 1
                                   std::uint8_t(orientation),
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0}; // value; no next directory
    return std::string(reinterpret_cast<const char *>(bytes), sizeof bytes);
}
