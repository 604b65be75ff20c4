// tests/imagelib/metafile_builder.h
// Small WMF and EMF files built record by record for the metafile tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

inline void putLe(std::string &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(i < 8 ? char((value >> (8 * i)) & 0xFF) : '\0');
}

// WMF records take 16-bit words, stored in the order the file keeps them
// (most records keep their parameters last to first).
class WmfBuilder
{
  public:
    WmfBuilder &record(std::uint16_t function, std::initializer_list<int> words)
    {
        std::string params;
        for (int w : words)
            putLe(params, std::uint16_t(w), 2);
        return raw(function, params);
    }
    WmfBuilder &raw(std::uint16_t function, const std::string &params)
    {
        putLe(mBody, 3 + (params.size() + 1) / 2, 4);
        putLe(mBody, function, 2);
        mBody += params;
        if (params.size() % 2)
            mBody.push_back('\0');
        return *this;
    }
    // A record whose size field says `words` whatever it holds.
    WmfBuilder &lying(std::uint16_t function, std::uint32_t words, const std::string &params)
    {
        putLe(mBody, words, 4);
        putLe(mBody, function, 2);
        mBody += params;
        return *this;
    }

    WmfBuilder &mapMode(int mode) { return record(0x0103, {mode}); }
    WmfBuilder &windowOrg(int x, int y) { return record(0x020B, {y, x}); }
    WmfBuilder &windowExt(int x, int y) { return record(0x020C, {y, x}); }
    WmfBuilder &viewportOrg(int x, int y) { return record(0x020D, {y, x}); }
    WmfBuilder &viewportExt(int x, int y) { return record(0x020E, {y, x}); }
    WmfBuilder &solidBrush(std::uint32_t colorref)
    {
        return record(0x02FC, {0, int(colorref & 0xFFFF), int(colorref >> 16), 0});
    }
    WmfBuilder &pen(int style, int width, std::uint32_t colorref)
    {
        return record(0x02FA, {style, width, 0, int(colorref & 0xFFFF), int(colorref >> 16)});
    }
    WmfBuilder &nullPen() { return pen(5, 0, 0); }
    WmfBuilder &select(int index) { return record(0x012D, {index}); }
    WmfBuilder &deleteObject(int index) { return record(0x01F0, {index}); }
    WmfBuilder &rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    WmfBuilder &ellipse(int l, int t, int r, int b) { return record(0x0418, {b, r, t, l}); }
    WmfBuilder &intersectClip(int l, int t, int r, int b) { return record(0x0416, {b, r, t, l}); }
    WmfBuilder &excludeClip(int l, int t, int r, int b) { return record(0x0415, {b, r, t, l}); }
    WmfBuilder &saveDc() { return record(0x001E, {}); }
    WmfBuilder &restoreDc(int which) { return record(0x0127, {which}); }
    WmfBuilder &textColor(std::uint32_t colorref)
    {
        return record(0x0209, {int(colorref & 0xFFFF), int(colorref >> 16)});
    }

    // With a placeable header: bounds in units per inch.
    std::string placeable(int left, int top, int right, int bottom, int inch) const
    {
        std::string out;
        putLe(out, 0x9AC6CDD7, 4);
        putLe(out, 0, 2);
        for (int v : {left, top, right, bottom})
            putLe(out, std::uint16_t(v), 2);
        putLe(out, std::uint16_t(inch), 2);
        putLe(out, 0, 4);
        putLe(out, 0, 2); // checksum, not checked
        return out + plain();
    }
    std::string plain() const
    {
        std::string out;
        putLe(out, 1, 2);
        putLe(out, 9, 2);
        putLe(out, 0x0300, 2);
        putLe(out, (18 + mBody.size() + 6) / 2, 4);
        putLe(out, 16, 2); // objects
        putLe(out, 0, 4);
        putLe(out, 0, 2);
        out += mBody;
        putLe(out, 3, 4);
        putLe(out, 0, 2); // end record
        return out;
    }

  private:
    std::string mBody;
};

// EMF records take 32-bit values after their type and size.
class EmfBuilder
{
  public:
    EmfBuilder &record(std::uint32_t type, std::initializer_list<std::int64_t> values)
    {
        std::string data;
        for (std::int64_t v : values)
            putLe(data, std::uint64_t(v), 4);
        return raw(type, data);
    }
    EmfBuilder &bytes(const std::string &records)
    {
        mBody += records;
        return *this;
    }
    EmfBuilder &raw(std::uint32_t type, const std::string &data)
    {
        putLe(mBody, type, 4);
        putLe(mBody, 8 + data.size(), 4);
        mBody += data;
        return *this;
    }
    EmfBuilder &rectangle(int l, int t, int r, int b) { return record(43, {l, t, r, b}); }
    EmfBuilder &solidBrush(std::uint32_t handle, std::uint32_t colorref)
    {
        return record(39, {handle, 0, colorref, 0});
    }
    EmfBuilder &select(std::uint32_t handle) { return record(37, {handle}); }
    EmfBuilder &nullPen() { return select(0x80000008); }

    // Frame in hundredths of millimetres on a reference device of 96 dots
    // per inch (960 pixels on 254 mm): a frame of 2540 is 96 pixels.
    std::string file(int frameRight, int frameBottom) const
    {
        std::string head;
        putLe(head, 1, 4);
        putLe(head, 108, 4);
        for (std::int64_t v : {0, 0, 0, 0}) // bounds
            putLe(head, std::uint64_t(v), 4);
        for (std::int64_t v : {0, 0, frameRight, frameBottom})
            putLe(head, std::uint64_t(v), 4);
        putLe(head, 0x464D4520, 4);
        putLe(head, 0x10000, 4);
        putLe(head, 108 + mBody.size() + 20, 4);
        putLe(head, 0, 4);  // records, not checked
        putLe(head, 16, 2); // handles
        putLe(head, 0, 2);
        putLe(head, 0, 4);
        putLe(head, 0, 4);
        putLe(head, 0, 4);
        putLe(head, 960, 4); // device pixels
        putLe(head, 960, 4);
        putLe(head, 254, 4); // millimetres
        putLe(head, 254, 4);
        putLe(head, 0, 4);
        putLe(head, 0, 4);
        putLe(head, 0, 4);
        putLe(head, 254000, 4); // micrometres
        putLe(head, 254000, 4);
        std::string out = head + mBody;
        putLe(out, 14, 4);
        putLe(out, 20, 4);
        putLe(out, 0, 12);
        return out;
    }

  private:
    std::string mBody;
};

// EMF+ records, to be carried in an EMF comment: type, flags, then data
// of 32-bit values and floats.
class EmfPlusRecords
{
  public:
    EmfPlusRecords &record(std::uint16_t type, std::uint16_t flags, const std::string &data)
    {
        putLe(mBytes, type, 2);
        putLe(mBytes, flags, 2);
        putLe(mBytes, 12 + data.size(), 4);
        putLe(mBytes, data.size(), 4);
        mBytes += data;
        return *this;
    }
    EmfPlusRecords &raw(const std::string &bytes)
    {
        mBytes += bytes;
        return *this;
    }
    static std::string u32(std::uint32_t v)
    {
        std::string s;
        putLe(s, v, 4);
        return s;
    }
    static std::string f32(std::initializer_list<float> values)
    {
        std::string s;
        for (float f : values) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            putLe(s, bits, 4);
        }
        return s;
    }
    EmfPlusRecords &header(bool dual)
    {
        return record(0x4001, dual ? 1 : 0, u32(0xDBC01002) + u32(0) + u32(96) + u32(96));
    }
    // The comment record holding them.
    std::string comment() const
    {
        std::string data = u32(4 + mBytes.size()) + "EMF+" + mBytes;
        std::string out;
        putLe(out, 70, 4);
        putLe(out, 8 + data.size(), 4);
        return out + data;
    }

  private:
    std::string mBytes;
};

// A 24-bit bottom-up DIB of 2 x 2 pixels: bottom row blue, green; top row
// red, white. Header, then rows padded to 4 bytes.
inline std::string dib2x2()
{
    std::string out;
    putLe(out, 40, 4);
    putLe(out, 2, 4);
    putLe(out, 2, 4);
    putLe(out, 1, 2);
    putLe(out, 24, 2);
    putLe(out, 0, 4);
    putLe(out, 16, 4);
    putLe(out, 0, 16);
    out += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8); // blue, green
    out += std::string("\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 8); // red, white
    return out;
}
