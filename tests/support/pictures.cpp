// tests/support/pictures.cpp
#include "tests/support/pictures.h"
#include "tests/support/corpora.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

Rgb8 toRgb(const ZvImage &image)
{
    Rgb8 out;
    if (!image.IsValid())
        return out;
    out.width = int(image.GetWidth());
    out.height = int(image.GetHeight());
    out.rgb.resize(std::size_t(out.width) * out.height * 3);
    std::size_t i = 0;
    for (int y = out.height - 1; y >= 0; --y) {
        for (int x = 0; x < out.width; ++x) {
            const RGBQUAD c = image.GetPixelColor(x, y, false);
            out.rgb[i++] = c.rgbRed;
            out.rgb[i++] = c.rgbGreen;
            out.rgb[i++] = c.rgbBlue;
        }
    }
    return out;
}

Rgb8 parsePpm(const std::string &bytes)
{
    Rgb8 out;
    std::size_t pos = 0;
    auto token = [&]() -> std::string {
        while (pos < bytes.size()) {
            if (bytes[pos] == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
            } else if (std::isspace(static_cast<unsigned char>(bytes[pos]))) {
                ++pos;
            } else {
                break;
            }
        }
        const std::size_t start = pos;
        while (pos < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[pos])))
            ++pos;
        return bytes.substr(start, pos - start);
    };
    if (token() != "P6")
        return out;
    const int w = std::atoi(token().c_str());
    const int h = std::atoi(token().c_str());
    const int maxval = std::atoi(token().c_str());
    ++pos;
    const std::size_t need = std::size_t(w) * h * 3;
    if (maxval != 255 || w <= 0 || h <= 0 || bytes.size() < pos + need)
        return out;
    out.width = w;
    out.height = h;
    out.rgb.assign(bytes.begin() + long(pos), bytes.begin() + long(pos + need));
    return out;
}

Rgb8 magickDecode(const std::string &path)
{
    std::string out;
    if (runCommand("convert '" + path + "[0]' -depth 8 ppm:- 2>/dev/null", &out) != 0)
        return Rgb8();
    return parsePpm(out);
}

int maxDifference(const Rgb8 &a, const Rgb8 &b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
        return 256;
    int worst = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        worst = std::max(worst, std::abs(int(a.rgb[i]) - int(b.rgb[i])));
    return worst;
}

double meanDifference(const Rgb8 &a, const Rgb8 &b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return 256;
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / double(a.rgb.size());
}

ZvImage makeHalfClearRed(int width, int height)
{
    ZvImage image{std::uint32_t(width), std::uint32_t(height), 24};
    image.AlphaCreate();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.SetPixelColor(x, y, RGBQUAD{0, 0, 255, 128}, true);
    }
    return image;
}

bool nearColour(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

ZvImage makePattern24(int width, int height)
{
    ZvImage image{std::uint32_t(width), std::uint32_t(height), 24};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetPixelColor(
                x, y,
                RGBQUAD{std::uint8_t(x * 7 + y * 3), std::uint8_t(y * 11 + 5), std::uint8_t(x * 13 + 17), 0});
        }
    }
    return image;
}

ZvImage makePatternIndexed(int width, int height, int bpp)
{
    ZvImage image{std::uint32_t(width), std::uint32_t(height), std::uint32_t(bpp)};
    const int n = int(image.GetNumColors());
    for (int i = 0; i < n; ++i)
        image.SetPaletteColor(std::uint8_t(i), RGBQUAD{std::uint8_t(i * 37), std::uint8_t(255 - i * 5),
                                                       std::uint8_t(i * 91 + 3), 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixelIndex(x, y, std::uint8_t((x + 2 * y) % n));
    return image;
}

ZvImage makeNoise(int width, int height, int bpp, std::uint32_t seed)
{
    ZvImage image = bpp == 24 ? ZvImage(std::uint32_t(width), std::uint32_t(height), 24)
                              : makePatternIndexed(width, height, bpp);
    const int colors = int(image.GetNumColors());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            if (bpp == 24)
                image.SetPixelColor(
                    x, y,
                    RGBQUAD{std::uint8_t(seed >> 24), std::uint8_t(seed >> 16), std::uint8_t(seed >> 8), 0});
            else
                image.SetPixelIndex(x, y, std::uint8_t((seed >> 24) % colors));
        }
    }
    return image;
}

ZvImage loadedFile(const std::string &path)
{
    ZvImage picture;
    picture.Load(path.c_str(), ImageTypeFromName(path));
    return picture;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}
