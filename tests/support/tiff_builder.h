// tests/support/tiff_builder.h
// Builds the TIFF structure of an EXIF block in either byte order, for the
// tests of the EXIF reader and editor. Offsets count from the TIFF header,
// as in the file; the header points at offset 8 until Patch32(4, ...) says
// where directory 0 is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TiffBuilder
{
  public:
    using Bytes = std::vector<std::uint8_t>;

    explicit TiffBuilder(bool motorola)
        : mMotorola(motorola)
    {
        mData = motorola ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
        Put16(42);
        Put32(8);
    }

    struct Field
    {
        std::uint16_t tag, format;
        std::uint32_t count, value; // value: inline number or offset
    };

    // A directory at the current end; returns its offset.
    std::uint32_t Directory(const std::vector<Field> &fields, std::uint32_t next = 0)
    {
        const std::uint32_t at = Size();
        Put16(std::uint16_t(fields.size()));
        for (const Field &f : fields) {
            Put16(f.tag);
            Put16(f.format);
            Put32(f.count);
            if (f.format == 3 && f.count == 1) {
                Put16(std::uint16_t(f.value));
                Put16(0);
            } else {
                Put32(f.value);
            }
        }
        Put32(next);
        return at;
    }
    std::uint32_t Raw(const Bytes &bytes)
    {
        const std::uint32_t at = Size();
        mData.insert(mData.end(), bytes.begin(), bytes.end());
        return at;
    }
    std::uint32_t Rational(std::uint32_t num, std::uint32_t den)
    {
        const std::uint32_t at = Size();
        Put32(num);
        Put32(den);
        return at;
    }
    std::uint32_t Text(const std::string &s)
    {
        Bytes bytes(s.begin(), s.end());
        bytes.push_back(0);
        return Raw(bytes);
    }
    void Patch32(std::uint32_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            mData[at + i] = std::uint8_t(mMotorola ? v >> (24 - 8 * i) : v >> (8 * i));
    }
    std::uint32_t Size() const { return std::uint32_t(mData.size()); }
    // The APP1 payload: "Exif\0\0" and the structure.
    Bytes Payload() const
    {
        Bytes p = {'E', 'x', 'i', 'f', 0, 0};
        p.insert(p.end(), mData.begin(), mData.end());
        return p;
    }
    Bytes &Data() { return mData; }

  private:
    void Put16(std::uint16_t v)
    {
        mData.push_back(std::uint8_t(mMotorola ? v >> 8 : v));
        mData.push_back(std::uint8_t(mMotorola ? v : v >> 8));
    }
    void Put32(std::uint32_t v)
    {
        mData.resize(mData.size() + 4);
        Patch32(Size() - 4, v);
    }

    bool mMotorola;
    Bytes mData;
};
