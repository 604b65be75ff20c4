// collection/cache_archive.cpp
#include "collection/cache_archive.h"

#include "platform/archive.h"

#include <cstring>

namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTagBit = 0x8000;
constexpr std::uint16_t kThumbClassIndex = 1;
constexpr std::uint16_t kNullTag = 0;

std::uint8_t readU8(ArchiveReader &in)
{
    std::uint8_t v = 0;
    if (!in.ReadExact(&v, 1))
        throw CacheFormatError("unexpected end of file");
    return v;
}

std::uint16_t readU16(ArchiveReader &in)
{
    std::uint16_t v = 0;
    if (!in.ReadU16(v))
        throw CacheFormatError("unexpected end of file");
    return v;
}

std::uint32_t readU32(ArchiveReader &in)
{
    std::uint32_t v = 0;
    if (!in.ReadU32(v))
        throw CacheFormatError("unexpected end of file");
    return v;
}

std::uint32_t readStringLength(ArchiveReader &in)
{
    const std::uint8_t shortLength = readU8(in);
    if (shortLength < 0xFF)
        return shortLength;
    const std::uint16_t midLength = readU16(in);
    if (midLength < 0xFFFE)
        return midLength;
    if (midLength == 0xFFFE)
        throw CacheFormatError("wide-character string");
    return readU32(in);
}

} // namespace

void WriteArchiveString(ArchiveWriter &out, const QByteArray &bytes)
{
    const auto length = std::uint32_t(bytes.size());
    if (length < 0xFF) {
        const auto b = std::uint8_t(length);
        out.Write(&b, 1);
    } else if (length < 0xFFFE) {
        const std::uint8_t marker = 0xFF;
        out.Write(&marker, 1);
        out.WriteU16(std::uint16_t(length));
    } else {
        const std::uint8_t marker = 0xFF;
        out.Write(&marker, 1);
        out.WriteU16(0xFFFF);
        out.WriteU32(length);
    }
    out.Write(bytes.constData(), std::size_t(length));
}

QByteArray ReadArchiveString(ArchiveReader &in)
{
    const std::uint32_t length = readStringLength(in);
    // The length is checked against what is there before anything is allocated.
    if (length > in.Remaining())
        throw CacheFormatError("unexpected end of file");
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    in.ReadExact(bytes.data(), length);
    return bytes;
}

void WriteObjectCount(ArchiveWriter &out, std::uint32_t count)
{
    if (count < 0xFFFF) {
        out.WriteU16(std::uint16_t(count));
        return;
    }
    out.WriteU16(0xFFFF);
    out.WriteU32(count);
}

std::uint32_t ReadObjectCount(ArchiveReader &in)
{
    const std::uint16_t count = readU16(in);
    return count < 0xFFFF ? count : readU32(in);
}

void WriteThumbClassTag(ArchiveWriter &out, bool first)
{
    if (!first) {
        out.WriteU16(kClassTagBit | kThumbClassIndex);
        return;
    }
    out.WriteU16(kNewClassTag);
    out.WriteU16(kThumbSchema);
    const std::uint16_t nameLength = sizeof(kThumbClassName) - 1;
    out.WriteU16(nameLength);
    out.Write(kThumbClassName, nameLength);
}

ObjectTag ReadThumbClassTag(ArchiveReader &in, bool &classKnown)
{
    const std::uint16_t tag = readU16(in);
    if (tag == kNullTag)
        return ObjectTag::Null;
    if (tag == (kClassTagBit | kThumbClassIndex)) {
        if (!classKnown)
            throw CacheFormatError("reference to an undescribed class");
        return ObjectTag::Thumb;
    }
    if (tag != kNewClassTag)
        throw CacheFormatError("unknown object tag");
    const std::uint16_t schema = readU16(in);
    const std::uint16_t nameLength = readU16(in);
    char name[sizeof(kThumbClassName) - 1];
    if (schema > kThumbSchema || nameLength != sizeof(name) || !in.ReadExact(name, sizeof(name)) ||
        std::memcmp(name, kThumbClassName, sizeof(name)) != 0)
        throw CacheFormatError("object of another class or schema");
    if (schema < kThumbSchema)
        throw CacheOutdatedError("thumbnails of an earlier schema");
    classKnown = true;
    return ObjectTag::Thumb;
}
