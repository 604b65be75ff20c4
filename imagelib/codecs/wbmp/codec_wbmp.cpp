// imagelib/codecs/wbmp/codec_wbmp.cpp
#include "imagelib/codecs/wbmp/codec_wbmp.h"
#include "imagelib/streams/byte_reader.h"
#include "imagelib/streams/byte_writer.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr std::uint32_t kMaxSide = 255;

// WBMP integers carry 7 bits per byte, most significant first, with the top
// bit set on every byte but the last. More than 32 bits is not a WBMP; with
// shortest set, neither is a leading byte that adds nothing (0x80).
bool readMultiByte(ZvByteReader &in, std::uint32_t &value, bool shortest)
{
    value = 0;
    for (int i = 0; i < 5; ++i) {
        const int b = in.Get();
        if (b < 0 || value > (0xFFFFFFFFu >> 7) || (shortest && i == 0 && b == 0x80))
            return false;
        value = (value << 7) | std::uint32_t(b & 0x7F);
        if ((b & 0x80) == 0)
            return true;
    }
    return false;
}

void putMultiByte(ZvByteWriter &out, std::uint32_t value)
{
    int shift = 28;
    while (shift > 0 && (value >> shift) == 0)
        shift -= 7;
    for (; shift > 0; shift -= 7)
        out.Put(std::uint8_t(0x80 | ((value >> shift) & 0x7F)));
    out.Put(std::uint8_t(value & 0x7F));
}

std::uint32_t greyOf(RGBQUAD c)
{
    return (306u * c.rgbRed + 601u * c.rgbGreen + 117u * c.rgbBlue) >> 10;
}

} // namespace

bool ZvImageWBMP::Decode(ZvFile *stream)
{
    if (!stream)
        return false;
    return RunGuarded(Step::Decode, "WBMP Create failed", [&] { DecodeStream(stream); });
}

void ZvImageWBMP::DecodeStream(ZvFile *stream)
{
    ZvByteReader in(stream, 4096);
    std::uint32_t type = 0;
    if (!ReadInteger(in, type))
        throw ZvCodecError("Not a WBMP");
    if (type != 0)
        throw ZvCodecError("Unsupported WBMP type");
    // Type 0 has no extension headers, so its fixed header byte is zero.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (in.Get() != 0 || !ReadInteger(in, width) || !ReadInteger(in, height) || width == 0 || height == 0)
        throw ZvCodecError("Not a WBMP");
    const std::int64_t left = in.Left();
    const std::uint64_t rowBytes = (std::uint64_t(width) + 7) / 8;
    const std::uint64_t rows = rowBytes * height;
    // Some writers pad the file by a byte or two, never by a whole row.
    const bool fits = left >= 0 && std::uint64_t(left) >= rows && std::uint64_t(left) - rows < rowBytes;
    if (mFit == Fit::Exact && !fits)
        throw ZvCodecError("Not a WBMP");
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(std::min<std::uint32_t>(width, 0x7FFFFFFF));
        mHead.biHeight = std::int32_t(std::min<std::uint32_t>(height, 0x7FFFFFFF));
        mHead.biBitCount = 1;
        mInfo.dwType = ZV_TYPE_WBMP;
        return;
    }
    if (left >= 0 && std::uint64_t(left) < rows)
        throw ZvCodecError("Corrupted WBMP");
    if (!Create(width, height, 1, ZV_TYPE_WBMP))
        throw ZvCodecError("WBMP Create failed");
    SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    ReadRows(in);
}

bool ZvImageWBMP::ReadInteger(ZvByteReader &in, std::uint32_t &value) const
{
    return readMultiByte(in, value, mFit == Fit::Exact);
}

void ZvImageWBMP::ReadRows(ZvByteReader &in)
{
    const std::size_t bytes = (std::size_t(GetWidth()) + 7) / 8;
    for (std::uint32_t r = GetHeight(); r-- > 0;) {
        if (GetEscape())
            throw ZvCodecError("Cancelled");
        if (!in.Read(GetBits(r), bytes))
            throw ZvCodecError("Corrupted WBMP");
    }
}

bool ZvImageWBMP::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    const std::uint32_t width = GetWidth();
    if (GetBpp() != 1 || width > kMaxSide || GetHeight() > kMaxSide) {
        SetLastError("Can't save this image as WBMP");
        return false;
    }
    ZvByteWriter out(stream, 4096);
    out.Put(0); // type 0
    out.Put(0); // fixed header: no extensions
    // Sizes of 128 and more need two bytes: a single byte with the top bit
    // set would announce a continuation.
    putMultiByte(out, width);
    putMultiByte(out, GetHeight());
    // Readers show 0 as black and 1 as white, whatever our palette says.
    const bool invert = greyOf(GetPaletteColor(0)) > greyOf(GetPaletteColor(1));
    const std::size_t bytes = (std::size_t(width) + 7) / 8;
    const std::uint8_t edge = std::uint8_t(0xFF << ((8 - width % 8) % 8));
    std::vector<std::uint8_t> row(bytes);
    for (std::uint32_t r = GetHeight(); r-- > 0;) {
        const std::uint8_t *src = GetBits(r);
        for (std::size_t i = 0; i < bytes; ++i)
            row[i] = invert ? std::uint8_t(~src[i]) : src[i];
        row[bytes - 1] &= edge; // bits past the right edge are not pixels
        out.Write(row.data(), bytes);
    }
    if (!out.Flush()) {
        SetLastError("cannot write WBMP file");
        return false;
    }
    return true;
}
