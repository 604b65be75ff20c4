// tests/imagelib/reference_codec.h
// Helpers for the codecs over the formats' own libraries (WebP, AVIF,
// JPEG XL): source pictures written as PNG for the reference encoders, and
// the reference decoders' pixels read back as PPM.
#pragma once

#include "imagelib/core/image.h"
#include "tests/imagelib/codec_roundtrip.h"

#include <gtest/gtest.h>

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
