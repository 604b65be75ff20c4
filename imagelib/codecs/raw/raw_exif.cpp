// imagelib/codecs/raw/raw_exif.cpp
#include "imagelib/codecs/raw/raw_exif.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

enum Type : std::uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7 };

struct Entry
{
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::vector<std::uint8_t> value; // little-endian, count items of type
};

// One directory's entries in ascending tag order, as TIFF wants them.
using Directory = std::vector<Entry>;

void put16(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void set32(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

void addText(Directory &dir, std::uint16_t tag, const std::string &text)
{
    if (text.empty())
        return;
    const std::string cut = text.substr(0, std::min<std::size_t>(text.size(), 255));
    std::vector<std::uint8_t> value(cut.begin(), cut.end());
    value.push_back(0);
    dir.push_back({tag, kAscii, std::uint32_t(value.size()), std::move(value)});
}

bool usable(double v)
{
    return std::isfinite(v) && v > 0 && v < 1e6;
}

// A rational close to v: exposures below a second as 1/n, else tenths.
void putRational(std::vector<std::uint8_t> &value, double v, bool reciprocal)
{
    if (reciprocal && v < 1) {
        put32(value, 1);
        put32(value, std::uint32_t(std::lround(1 / v)));
        return;
    }
    put32(value, std::uint32_t(std::llround(v * 1000)));
    put32(value, 1000);
}

void addRational(Directory &dir, std::uint16_t tag, double v, bool reciprocal = false)
{
    if (!usable(v))
        return;
    std::vector<std::uint8_t> value;
    putRational(value, v, reciprocal);
    dir.push_back({tag, kRational, 1, std::move(value)});
}

void addAngle(Directory &dir, std::uint16_t tag, const double (&dms)[3])
{
    std::vector<std::uint8_t> value;
    for (double part : dms) {
        put32(value, std::uint32_t(std::llround(std::isfinite(part) && part > 0 ? part * 1000 : 0)));
        put32(value, 1000);
    }
    dir.push_back({tag, kRational, 3, std::move(value)});
}

std::string exifDate(std::time_t t)
{
    if (t <= 0)
        return {};
    std::tm local{};
    if (!localtime_r(&t, &local))
        return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return text;
}

Directory gpsDirectory(const RawShotFacts &f)
{
    Directory gps;
    gps.push_back({0x0000, kByte, 4, {2, 2, 0, 0}});
    addText(gps, 0x0001, std::string(1, f.latitudeRef == 'S' ? 'S' : 'N'));
    addAngle(gps, 0x0002, f.latitude);
    addText(gps, 0x0003, std::string(1, f.longitudeRef == 'W' ? 'W' : 'E'));
    addAngle(gps, 0x0004, f.longitude);
    if (std::isfinite(f.altitude) && f.altitude >= 0 && f.altitude < 1e6) {
        gps.push_back({0x0005, kByte, 1, {std::uint8_t(f.belowSeaLevel ? 1 : 0)}});
        std::vector<std::uint8_t> value;
        putRational(value, f.altitude, false);
        gps.push_back({0x0006, kRational, 1, std::move(value)});
    }
    return gps;
}

// Writes a directory at the end of out; values longer than four bytes go
// after it. Returns the offset (from the TIFF header at base) of each
// entry's value field, so links can be filled in later.
std::vector<std::size_t> writeDirectory(std::vector<std::uint8_t> &out, std::size_t base,
                                        const Directory &dir)
{
    std::vector<std::size_t> fields;
    std::size_t data = out.size() - base + 2 + dir.size() * 12 + 4;
    put16(out, std::uint32_t(dir.size()));
    std::vector<std::uint8_t> tail;
    for (const Entry &e : dir) {
        put16(out, e.tag);
        put16(out, e.type);
        put32(out, e.count);
        fields.push_back(out.size());
        if (e.value.size() <= 4) {
            std::vector<std::uint8_t> padded = e.value;
            padded.resize(4, 0);
            out.insert(out.end(), padded.begin(), padded.end());
        } else {
            put32(out, std::uint32_t(data + tail.size()));
            tail.insert(tail.end(), e.value.begin(), e.value.end());
            if (tail.size() % 2)
                tail.push_back(0); // values start on word boundaries
        }
    }
    put32(out, 0); // no next directory
    out.insert(out.end(), tail.begin(), tail.end());
    return fields;
}

} // namespace

std::vector<std::uint8_t> RawExifBlock(const RawShotFacts &f)
{
    const std::string date = exifDate(f.taken);
    Directory zero, exif;
    addText(zero, 0x010F, f.make);
    addText(zero, 0x0110, f.model);
    addText(zero, 0x0132, date);
    zero.push_back({0x8769, kLong, 1, {0, 0, 0, 0}}); // the EXIF directory, linked below
    if (f.hasGps)
        zero.push_back({0x8825, kLong, 1, {0, 0, 0, 0}});

    addRational(exif, 0x829A, f.exposure, true);
    addRational(exif, 0x829D, f.aperture);
    if (usable(f.iso)) {
        std::vector<std::uint8_t> value;
        put16(value, std::uint32_t(std::min(f.iso, 65535.0)));
        exif.push_back({0x8827, kShort, 1, std::move(value)});
    }
    exif.push_back({0x9000, kUndefined, 4, {'0', '2', '3', '0'}});
    addText(exif, 0x9003, date);
    addRational(exif, 0x920A, f.focal);
    addText(exif, 0xA434, f.lens);

    std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};
    const std::size_t base = 6;
    put32(out, 8);
    const std::vector<std::size_t> links = writeDirectory(out, base, zero);
    const std::size_t exifLink = links[zero.size() - (f.hasGps ? 2 : 1)];
    set32(out, exifLink, std::uint32_t(out.size() - base));
    writeDirectory(out, base, exif);
    if (f.hasGps) {
        set32(out, links.back(), std::uint32_t(out.size() - base));
        writeDirectory(out, base, gpsDirectory(f));
    }
    return out;
}
