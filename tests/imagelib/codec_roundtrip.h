// tests/imagelib/codec_roundtrip.h
// Helpers shared by the tests of the codecs the library codes itself:
// encoding to bytes, decoding bytes, and ImageMagick's view of alpha.
#pragma once

#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The encoder's output, or empty with the message in image's last error.
inline std::string encodeBytes(ZvImage &image, std::uint32_t type)
{
    std::uint8_t *buffer = nullptr;
    std::int32_t size = 0;
    if (!image.Encode(buffer, size, type))
        return {};
    std::string bytes(reinterpret_cast<const char *>(buffer), std::size_t(size));
    std::free(buffer);
    return bytes;
}

inline bool decodeBytes(const std::string &bytes, std::uint32_t type, ZvImage &image)
{
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    ZvMemFile file(copy.data(), copy.size());
    return image.Decode(&file, type);
}

// Why bytes fail to decode as type (and a test failure when they decode).
inline std::string decodeError(const std::string &bytes, std::uint32_t type)
{
    ZvImage image;
    EXPECT_FALSE(decodeBytes(bytes, type, image));
    EXPECT_FALSE(image.IsValid());
    return image.GetLastError();
}

// A stream that cannot tell its size, like a pipe: decoders cannot compare
// the pixel data a header promises with what the file holds.
class UnsizedMemFile : public ZvMemFile
{
  public:
    using ZvMemFile::ZvMemFile;
    std::int64_t Size() override { return -1; }
};

inline bool decodeUnsized(const std::string &bytes, std::uint32_t type, ZvImage &image)
{
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    UnsizedMemFile file(copy.data(), copy.size());
    return image.Decode(&file, type);
}

// The alpha plane top row first (255 throughout when there is none).
inline std::vector<std::uint8_t> alphaTopDown(const ZvImage &image)
{
    std::vector<std::uint8_t> out;
    for (int y = int(image.GetHeight()) - 1; y >= 0; --y)
        for (int x = 0; x < int(image.GetWidth()); ++x)
            out.push_back(image.AlphaIsValid() ? image.AlphaGet(x, y) : 255);
    return out;
}

// ImageMagick's decode with the file's row order applied: its TGA reader
// keeps rows as stored and only records the orientation.
inline Rgb8 magickDecodeOriented(const std::string &path)
{
    std::string out;
    if (runCommand("convert '" + path + "[0]' -auto-orient -depth 8 ppm:- 2>/dev/null", &out) != 0)
        return Rgb8();
    return parsePpm(out);
}

// ImageMagick's alpha channel of a file, top row first (empty on failure).
inline std::vector<std::uint8_t> magickAlpha(const std::string &path)
{
    std::string out;
    if (runCommand("convert '" + path +
                       "[0]' -auto-orient -alpha extract -depth 8 -type TrueColor ppm:- 2>/dev/null",
                   &out) != 0)
        return {};
    const Rgb8 rgb = parsePpm(out);
    std::vector<std::uint8_t> alpha;
    for (std::size_t i = 0; i < rgb.rgb.size(); i += 3)
        alpha.push_back(rgb.rgb[i]);
    return alpha;
}

// Writes bytes into the scratch folder and returns the path.
inline std::string scratchFile(const std::string &name, const std::string &bytes)
{
    const std::string path = scratchDir() + "/" + name;
    writeFile(path, bytes);
    return path;
}
