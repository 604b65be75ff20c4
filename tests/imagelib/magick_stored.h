// tests/imagelib/magick_stored.h
// ImageMagick as the reference decoder for files whose stored values are
// compared exactly (PNG and TIFF suites).
#pragma once

#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// ImageMagick's decode, asked for 16 bits, which are rounded here the way
// libpng's scaling and our TIFF reader round (ImageMagick's own reduction
// to 8 bits truncates). options go between the file and the output.
inline Rgb8 magickStored(const std::string &path, const std::string &options = "")
{
    std::string out;
    if (runCommand("convert '" + path + "[0]' " + options + " -depth 16 ppm:- 2>/dev/null", &out) != 0)
        return Rgb8();
    // P6, width, height, 65535 (with # comments between), one whitespace
    // byte, then big-endian samples.
    std::size_t pos = 0;
    auto token = [&]() {
        while (pos < out.size() && (std::isspace(static_cast<unsigned char>(out[pos])) || out[pos] == '#')) {
            if (out[pos] == '#')
                while (pos < out.size() && out[pos] != '\n')
                    ++pos;
            else
                ++pos;
        }
        const std::size_t start = pos;
        while (pos < out.size() && !std::isspace(static_cast<unsigned char>(out[pos])))
            ++pos;
        return out.substr(start, pos - start);
    };
    Rgb8 rgb;
    if (token() != "P6")
        return Rgb8();
    rgb.width = std::atoi(token().c_str());
    rgb.height = std::atoi(token().c_str());
    if (token() != "65535" || rgb.width <= 0 || rgb.height <= 0)
        return Rgb8();
    const std::size_t count = std::size_t(rgb.width) * rgb.height * 3;
    if (out.size() < pos + 1 + 2 * count)
        return Rgb8();
    const auto *p = reinterpret_cast<const std::uint8_t *>(out.data()) + pos + 1;
    for (std::size_t i = 0; i < count; ++i)
        rgb.rgb.push_back(std::uint8_t(((p[2 * i] << 8 | p[2 * i + 1]) * 255 + 32767) / 65535));
    return rgb;
}

inline std::vector<std::uint8_t> magickStoredAlpha(const std::string &path, const std::string &options = "")
{
    const Rgb8 rgb = magickStored(path, "-alpha extract " + options + " -type TrueColor");
    std::vector<std::uint8_t> alpha;
    for (std::size_t i = 0; i < rgb.rgb.size(); i += 3)
        alpha.push_back(rgb.rgb[i]);
    return alpha;
}
