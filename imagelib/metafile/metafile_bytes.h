// imagelib/metafile/metafile_bytes.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Thrown when a record asks for bytes beyond its own end; the players skip
// that record and go on with the next.
struct MetaShortRecord
{
};

// A bounds-checked little-endian view of one record (or of a whole file).
// Every read past the end throws MetaShortRecord, so a record that lies about
// its contents can never make a reader leave it.
class MetaBytes
{
  public:
    MetaBytes() = default;
    MetaBytes(const std::uint8_t *data, std::size_t size)
        : mData(data)
        , mSize(size)
    {
    }

    const std::uint8_t *data() const { return mData; }
    std::size_t size() const { return mSize; }

    // Whether count bytes starting at offset lie inside the view; safe for
    // any values (no wrap-around).
    bool has(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= mSize && count <= mSize - offset;
    }
    void need(std::uint64_t offset, std::uint64_t count) const
    {
        if (!has(offset, count))
            throw MetaShortRecord();
    }

    std::uint8_t u8(std::uint64_t at) const
    {
        need(at, 1);
        return mData[at];
    }
    std::uint16_t u16(std::uint64_t at) const
    {
        need(at, 2);
        return std::uint16_t(mData[at] | (mData[at + 1] << 8));
    }
    std::int16_t i16(std::uint64_t at) const { return std::int16_t(u16(at)); }
    std::uint32_t u32(std::uint64_t at) const
    {
        need(at, 4);
        return std::uint32_t(mData[at]) | (std::uint32_t(mData[at + 1]) << 8) |
               (std::uint32_t(mData[at + 2]) << 16) | (std::uint32_t(mData[at + 3]) << 24);
    }
    std::int32_t i32(std::uint64_t at) const { return std::int32_t(u32(at)); }
    float f32(std::uint64_t at) const
    {
        const std::uint32_t bits = u32(at);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // The bytes [offset, offset + count) as a view of their own.
    MetaBytes sub(std::uint64_t offset, std::uint64_t count) const
    {
        need(offset, count);
        return MetaBytes(mData + offset, std::size_t(count));
    }
    // Everything from offset to the end.
    MetaBytes tail(std::uint64_t offset) const
    {
        need(offset, 0);
        return MetaBytes(mData + offset, std::size_t(mSize - offset));
    }

  private:
    const std::uint8_t *mData = nullptr;
    std::size_t mSize = 0;
};
