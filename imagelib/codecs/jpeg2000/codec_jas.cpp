// imagelib/codecs/jpeg2000/codec_jas.cpp
#include "imagelib/codecs/jpeg2000/codec_jas.h"

#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/streams/file.h"

#include <cstring>
#include <new>
#include <string>

namespace {

struct JasFormat
{
    std::uint32_t type;
    const char *name;    // in "... can save only RGB or GrayScale images"
    const char *notThis; // a typed decode given another format
};

constexpr JasFormat kFormats[] = {
    {ZV_TYPE_JP2, "JPEG 2000", "Not a JP2 file"}, {ZV_TYPE_JPC, "JPEG 2000", "Not a JPEG 2000 codestream"},
    {ZV_TYPE_PGX, "PGX", "Not a PGX file"},       {ZV_TYPE_PNM, "PNM", "Not a PNM file"},
    {ZV_TYPE_RAS, "RAS", "Not a RAS file"},
};

const JasFormat *formatOf(std::uint32_t type)
{
    for (const JasFormat &f : kFormats)
        if (f.type == type)
            return &f;
    return nullptr;
}

bool isSpace(std::uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The format the first bytes announce, or 0.
std::uint32_t sniff(const std::uint8_t *b, std::size_t n)
{
    static const std::uint8_t jp2[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static const std::uint8_t ras[4] = {0x59, 0xA6, 0x6A, 0x95};
    if (n >= 12 && std::memcmp(b, jp2, 12) == 0)
        return ZV_TYPE_JP2;
    if (n >= 4 && b[0] == 0xFF && b[1] == 0x4F && b[2] == 0xFF && b[3] == 0x51)
        return ZV_TYPE_JPC;
    if (n >= 4 && std::memcmp(b, ras, 4) == 0)
        return ZV_TYPE_RAS;
    if (n >= 3 && b[0] == 'P' && b[1] == 'G' && (b[2] == ' ' || b[2] == 'M' || b[2] == 'L'))
        return ZV_TYPE_PGX;
    if (n >= 3 && b[0] == 'P' && b[1] >= '1' && b[1] <= '7' && isSpace(b[2]))
        return ZV_TYPE_PNM;
    return 0;
}

std::uint32_t sniff(ZvFile *stream)
{
    const std::int64_t start = stream->Tell();
    std::uint8_t head[12] = {};
    const std::size_t n = stream->Read(head, 1, sizeof(head));
    if (!stream->Seek(start, SEEK_FROM_START))
        throw ZvCodecError("error: cannot load image data");
    return sniff(head, n);
}

} // namespace

bool ZvImageJAS::Decode(ZvFile *stream)
{
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    try {
        const std::uint32_t found = sniff(stream);
        if (mJasType != 0 && found != mJasType)
            throw ZvCodecError(formatOf(mJasType) ? formatOf(mJasType)->notThis
                                                  : "Decode: Unknown or wrong format");
        if (found == 0)
            throw ZvCodecError("Decode: Unknown or wrong format");
        DecodeAs(found, stream);
        return true;
    } catch (const ZvCodecError &e) {
        SetLastError(e.what());
    } catch (const std::bad_alloc &) {
        SetLastError("error: cannot allocate memory");
    }
    Destroy();
    return false;
}

void ZvImageJAS::DecodeAs(std::uint32_t type, ZvFile *stream)
{
    switch (type) {
    case ZV_TYPE_JP2: jasReadJpeg2000(*this, stream, true); break;
    case ZV_TYPE_JPC: jasReadJpeg2000(*this, stream, false); break;
    case ZV_TYPE_PGX: jasReadPgx(*this, stream); break;
    case ZV_TYPE_PNM: jasReadPnm(*this, stream); break;
    default: jasReadRas(*this, stream); break;
    }
}

void ZvImageJAS::CheckEncodable() const
{
    const JasFormat *format = formatOf(mJasType);
    if (!format)
        throw ZvCodecError("Encode: Unknown format");
    const bool grey = IsIndexed() && IsGrayScale();
    if (mJasType == ZV_TYPE_PGX && !grey)
        throw ZvCodecError("PGX can save only GrayScale images");
    if (IsIndexed() && !grey)
        throw ZvCodecError(std::string(format->name) + " can save only RGB or GrayScale images");
}

bool ZvImageJAS::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    try {
        CheckEncodable();
        switch (mJasType) {
        case ZV_TYPE_JP2: jasWriteJpeg2000(*this, stream, true, GetJpegQuality()); break;
        case ZV_TYPE_JPC: jasWriteJpeg2000(*this, stream, false, GetJpegQuality()); break;
        case ZV_TYPE_PGX: jasWritePgx(*this, stream); break;
        case ZV_TYPE_PNM: jasWritePnm(*this, stream); break;
        default: jasWriteRas(*this, stream); break;
        }
        return true;
    } catch (const ZvCodecError &e) {
        SetLastError(e.what());
    } catch (const std::bad_alloc &) {
        SetLastError("error : can't allocate memory");
    }
    return false;
}
