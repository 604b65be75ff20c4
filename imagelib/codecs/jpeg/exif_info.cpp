// imagelib/codecs/jpeg/exif_info.cpp
#include "imagelib/codecs/jpeg/exif_info.h"

#include "imagelib/streams/file.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int kMaxSections = 20;
constexpr int kMaxFillBytes = 16;
// Main, EXIF, GPS, interoperability and thumbnail directories are all a
// camera writes; a few more leave room for odd files while a cycle still ends.
constexpr int kMaxDirectories = 8;
constexpr int kMaxDepth = 3;
constexpr std::size_t kMaxText = 255;

constexpr int kMarkerSoi = 0xD8;
constexpr int kMarkerEoi = 0xD9;
constexpr int kMarkerSos = 0xDA;
constexpr int kMarkerApp1 = 0xE1;
constexpr int kMarkerTem = 0x01;

// Bytes per component of TIFF field types 1..12.
constexpr std::uint8_t kBytesPerFormat[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

enum class Dir { Main, Exif, Interop, Thumbnail, Gps };

struct NumberTag
{
    std::uint16_t tag;
    double ZvExifInfo::*field;
};
constexpr NumberTag kNumberTags[] = {
    {0x829A, &ZvExifInfo::exposureTime},      {0x829D, &ZvExifInfo::fNumber},
    {0x9201, &ZvExifInfo::shutterSpeedValue}, {0x9202, &ZvExifInfo::apertureValue},
    {0x9204, &ZvExifInfo::exposureBias},      {0x9206, &ZvExifInfo::subjectDistance},
    {0x920A, &ZvExifInfo::focalLength},       {0x9102, &ZvExifInfo::compressionLevel},
    {0xA20E, &ZvExifInfo::focalPlaneXRes},
};

struct IntegerTag
{
    std::uint16_t tag;
    int ZvExifInfo::*field;
};
constexpr IntegerTag kIntegerTags[] = {
    {0x8822, &ZvExifInfo::exposureProgram}, {0x8827, &ZvExifInfo::isoEquivalent},
    {0x9207, &ZvExifInfo::meteringMode},    {0x9209, &ZvExifInfo::flash},
    {0xA002, &ZvExifInfo::exifWidth},       {0xA003, &ZvExifInfo::exifHeight},
    {0xA403, &ZvExifInfo::whiteBalance},    {0xA001, &ZvExifInfo::colourSpace},
};

constexpr std::uint16_t kTagMake = 0x010F;
constexpr std::uint16_t kTagModel = 0x0110;
constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTagXResolution = 0x011A;
constexpr std::uint16_t kTagYResolution = 0x011B;
constexpr std::uint16_t kTagResolutionUnit = 0x0128;
constexpr std::uint16_t kTagDateTime = 0x0132;
constexpr std::uint16_t kTagThumbnailOffset = 0x0201;
constexpr std::uint16_t kTagThumbnailLength = 0x0202;
constexpr std::uint16_t kTagExifOffset = 0x8769;
constexpr std::uint16_t kTagDateTimeOriginal = 0x9003;
constexpr std::uint16_t kTagUserComment = 0x9286;
constexpr std::uint16_t kTagInteropOffset = 0xA005;
constexpr std::uint16_t kTagFocalPlaneUnit = 0xA210;
constexpr std::uint16_t kTagLensModel = 0xA434;
constexpr std::uint16_t kTagGpsOffset = 0x8825;
constexpr std::uint16_t kTagInteropIndex = 0x0001;
constexpr std::uint16_t kTagGpsLatitudeRef = 0x0001;
constexpr std::uint16_t kTagGpsLatitude = 0x0002;
constexpr std::uint16_t kTagGpsLongitudeRef = 0x0003;
constexpr std::uint16_t kTagGpsLongitude = 0x0004;

std::uint16_t readU16(const std::uint8_t *p, bool motorola)
{
    return motorola ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
}

std::uint32_t readU32(const std::uint8_t *p, bool motorola)
{
    if (motorola)
        return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

// Doubles read from a file may be anything; an int gets them saturated.
int saturatedInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return int(v);
}

// One TIFF structure inside an EXIF section. Every offset is checked
// against the section length before it is read.
class TiffReader
{
  public:
    TiffReader(const std::uint8_t *tiff, std::size_t length, bool motorola, ZvExifInfo &out)
        : mTiff(tiff)
        , mLength(length)
        , mMotorola(motorola)
        , mOut(out)
    {
    }

    bool ReadDirectory(std::uint32_t offset, Dir kind, int depth);

  private:
    struct Entry
    {
        std::uint16_t tag = 0;
        std::uint16_t format = 0;
        std::uint32_t count = 0;
        std::size_t value = 0; // position of the value bytes in the structure
        std::size_t byteCount = 0;
    };

    std::uint16_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;
    bool ReadEntry(std::size_t at, Entry &e);
    double Number(const Entry &e) const;
    double Rational(const Entry &e, std::uint32_t index) const;
    std::string Text(const Entry &e, std::size_t skip = 0) const;
    bool StoreFromTables(const Entry &e);
    void Store(const Entry &e, Dir kind, int depth);
    void StoreMain(const Entry &e);
    void StoreComment(const Entry &e);
    void StoreGps(const Entry &e);
    void FinishGps();
    void FollowLink(std::uint32_t offset, Dir kind, int depth);
    void FollowNext(std::size_t at, int depth);
    bool Visit(std::uint32_t offset);

    const std::uint8_t *mTiff;
    std::size_t mLength;
    bool mMotorola;
    ZvExifInfo &mOut;
    std::uint32_t mVisited[kMaxDirectories] = {};
    int mVisitedCount = 0;
    // The GPS directory's pieces until all four are known.
    char mLatitudeRef = 0;
    char mLongitudeRef = 0;
    double mLatitude = -1;
    double mLongitude = -1;
};

std::uint16_t TiffReader::U16(std::size_t at) const
{
    return readU16(mTiff + at, mMotorola);
}

std::uint32_t TiffReader::U32(std::size_t at) const
{
    return readU32(mTiff + at, mMotorola);
}

bool TiffReader::Visit(std::uint32_t offset)
{
    if (mVisitedCount >= kMaxDirectories)
        return false;
    for (int i = 0; i < mVisitedCount; ++i) {
        if (mVisited[i] == offset)
            return false;
    }
    mVisited[mVisitedCount++] = offset;
    return true;
}

bool TiffReader::ReadDirectory(std::uint32_t offset, Dir kind, int depth)
{
    if (depth > kMaxDepth || !Visit(offset)) {
        mOut.lastError = "Illegal subdirectory link";
        return false;
    }
    if (offset > mLength || mLength - offset < 2) {
        mOut.lastError = "Illegally sized directory";
        return false;
    }
    const std::size_t entries = U16(offset);
    if ((mLength - offset - 2) / 12 < entries) {
        mOut.lastError = "Illegally sized directory";
        return false;
    }
    for (std::size_t i = 0; i < entries; ++i) {
        Entry e;
        if (ReadEntry(offset + 2 + 12 * i, e))
            Store(e, kind, depth);
    }
    if (kind == Dir::Main)
        FollowNext(offset + 2 + 12 * entries, depth);
    return true;
}

bool TiffReader::ReadEntry(std::size_t at, Entry &e)
{
    e.tag = U16(at);
    e.format = U16(at + 2);
    e.count = U32(at + 4);
    if (e.format < 1 || e.format > 12) {
        mOut.lastError = "Illegal format code in EXIF dir";
        return false;
    }
    const std::uint64_t bytes = std::uint64_t(e.count) * kBytesPerFormat[e.format];
    if (bytes > 4) {
        const std::uint32_t offset = U32(at + 8);
        if (offset > mLength || bytes > mLength - offset) {
            mOut.lastError = "Illegal pointer offset value in EXIF.";
            return false;
        }
        e.value = offset;
    } else {
        e.value = at + 8;
    }
    e.byteCount = std::size_t(bytes);
    return true;
}

// The first component as a number; 0 for text or an empty field.
double TiffReader::Number(const Entry &e) const
{
    if (e.count == 0)
        return 0;
    const std::size_t at = e.value;
    switch (e.format) {
    case 1:
    case 7: return mTiff[at];
    case 6: return std::int8_t(mTiff[at]);
    case 3: return U16(at);
    case 8: return std::int16_t(U16(at));
    case 4: return U32(at);
    case 9: return std::int32_t(U32(at));
    case 5: {
        const std::uint32_t den = U32(at + 4);
        return den ? double(U32(at)) / den : 0.0;
    }
    case 10: {
        const std::int32_t den = std::int32_t(U32(at + 4));
        return den ? double(std::int32_t(U32(at))) / den : 0.0;
    }
    case 11: {
        const std::uint32_t bits = U32(at);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    case 12: {
        const std::uint64_t hi = U32(mMotorola ? at : at + 4), lo = U32(mMotorola ? at + 4 : at);
        const std::uint64_t bits = hi << 32 | lo;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    default: return 0;
    }
}

// Component index of an unsigned rational field (degrees, minutes,
// seconds); -1 when the field is not one or is too short.
double TiffReader::Rational(const Entry &e, std::uint32_t index) const
{
    if (e.format != 5 || index >= e.count)
        return -1;
    const std::size_t at = e.value + 8 * std::size_t(index);
    const std::uint32_t den = U32(at + 4);
    return den ? double(U32(at)) / den : -1;
}

// The bytes up to the first NUL, without trailing blanks.
std::string TiffReader::Text(const Entry &e, std::size_t skip) const
{
    if (e.byteCount <= skip)
        return {};
    const char *p = reinterpret_cast<const char *>(mTiff + e.value + skip);
    std::size_t n = 0;
    const std::size_t limit = e.byteCount - skip;
    while (n < limit && n < kMaxText && p[n] != '\0')
        ++n;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t' || p[n - 1] == '\r' || p[n - 1] == '\n'))
        --n;
    return std::string(p, n);
}

bool TiffReader::StoreFromTables(const Entry &e)
{
    for (const NumberTag &t : kNumberTags) {
        if (t.tag == e.tag) {
            mOut.*t.field = Number(e);
            return true;
        }
    }
    for (const IntegerTag &t : kIntegerTags) {
        if (t.tag == e.tag) {
            mOut.*t.field = saturatedInt(Number(e));
            return true;
        }
    }
    return false;
}

void TiffReader::Store(const Entry &e, Dir kind, int depth)
{
    if (kind == Dir::Gps) {
        StoreGps(e);
        return;
    }
    if (kind == Dir::Thumbnail) {
        // The thumbnail's own resolution and make must not replace the picture's.
        if (e.tag == kTagThumbnailOffset)
            mOut.thumbnailOffset = std::uint32_t(saturatedInt(Number(e)));
        else if (e.tag == kTagThumbnailLength)
            mOut.thumbnailSize = std::uint32_t(saturatedInt(Number(e)));
        return;
    }
    if (kind == Dir::Interop) {
        if (e.tag == kTagInteropIndex && e.format == 2)
            mOut.interopIndex = Text(e);
        return;
    }
    if (StoreFromTables(e))
        return;
    switch (e.tag) {
    case kTagExifOffset: FollowLink(std::uint32_t(saturatedInt(Number(e))), Dir::Exif, depth); break;
    case kTagInteropOffset: FollowLink(std::uint32_t(saturatedInt(Number(e))), Dir::Interop, depth); break;
    case kTagGpsOffset:
        FollowLink(std::uint32_t(saturatedInt(Number(e))), Dir::Gps, depth);
        FinishGps();
        break;
    case kTagDateTimeOriginal:
        mOut.dateTime = Text(e);
        mOut.dateTimeOriginal = mOut.dateTime;
        break;
    case kTagLensModel: mOut.lensModel = Text(e); break;
    case kTagDateTime:
        if (mOut.dateTime.empty())
            mOut.dateTime = Text(e);
        break;
    case kTagUserComment: StoreComment(e); break;
    case kTagFocalPlaneUnit: mOut.focalPlaneUnits = zvExifUnitFactor(saturatedInt(Number(e))); break;
    default:
        if (kind == Dir::Main)
            StoreMain(e);
        break;
    }
}

// Tags that describe the picture itself and count only in directory 0.
void TiffReader::StoreMain(const Entry &e)
{
    switch (e.tag) {
    case kTagMake: mOut.cameraMake = Text(e); break;
    case kTagModel: mOut.cameraModel = Text(e); break;
    case kTagXResolution: mOut.xResolution = Number(e); break;
    case kTagYResolution: mOut.yResolution = Number(e); break;
    case kTagResolutionUnit: mOut.resolutionUnit = zvExifUnitFactor(saturatedInt(Number(e))); break;
    case kTagOrientation: {
        const int o = saturatedInt(Number(e));
        mOut.orientation = o >= 1 && o <= 8 ? o : 0;
        if (mOut.orientation == 0)
            mOut.lastError = "Undefined rotation value";
        break;
    }
    default: break;
    }
}

// The first eight bytes name the character code; only ASCII and the
// undefined code are kept as text.
void TiffReader::StoreComment(const Entry &e)
{
    if (e.byteCount <= 8)
        return;
    const std::uint8_t *p = mTiff + e.value;
    static const std::uint8_t kUndefined[8] = {};
    if (std::memcmp(p, "ASCII", 5) == 0 || std::memcmp(p, kUndefined, 8) == 0)
        mOut.comments = Text(e, 8);
}

// Latitude and longitude are degrees, minutes and seconds; the references
// ('N'/'S', 'E'/'W') give their signs and must be present, since a position
// without them could be on the wrong side of the earth.
void TiffReader::StoreGps(const Entry &e)
{
    switch (e.tag) {
    case kTagGpsLatitudeRef: mLatitudeRef = e.count && e.format == 2 ? char(mTiff[e.value]) : 0; break;
    case kTagGpsLongitudeRef: mLongitudeRef = e.count && e.format == 2 ? char(mTiff[e.value]) : 0; break;
    case kTagGpsLatitude:
    case kTagGpsLongitude: {
        const double d = Rational(e, 0), m = Rational(e, 1), s = Rational(e, 2);
        const double degrees = d < 0 || m < 0 || s < 0 ? -1 : d + m / 60 + s / 3600;
        (e.tag == kTagGpsLatitude ? mLatitude : mLongitude) = degrees;
        break;
    }
    default: break;
    }
}

void TiffReader::FinishGps()
{
    const bool latRef = mLatitudeRef == 'N' || mLatitudeRef == 'S';
    const bool lonRef = mLongitudeRef == 'E' || mLongitudeRef == 'W';
    if (!latRef || !lonRef || mLatitude < 0 || mLatitude > 90 || mLongitude < 0 || mLongitude > 180)
        return;
    mOut.hasGps = true;
    mOut.gpsLatitude = mLatitudeRef == 'S' ? -mLatitude : mLatitude;
    mOut.gpsLongitude = mLongitudeRef == 'W' ? -mLongitude : mLongitude;
}

void TiffReader::FollowLink(std::uint32_t offset, Dir kind, int depth)
{
    if (offset >= mLength) {
        mOut.lastError = "Illegal subdirectory link";
        return;
    }
    ReadDirectory(offset, kind, depth + 1);
}

// The link after directory 0 leads to the thumbnail's directory. Some
// editors cut the section a few bytes short of it; that is not worth a message.
void TiffReader::FollowNext(std::size_t at, int depth)
{
    if (at > mLength || mLength - at < 4)
        return;
    const std::uint32_t next = U32(at);
    if (next == 0)
        return;
    if (next >= mLength) {
        if (next - mLength >= 20)
            mOut.lastError = "Illegal subdirectory link";
        return;
    }
    ReadDirectory(next, Dir::Thumbnail, depth + 1);
}

// Reads a marker code: one or more 0xFF then the code. -1 when the scan must stop.
int nextMarker(ZvFile *stream, std::string &error)
{
    long c = stream->GetC();
    if (c != 0xFF) {
        error = c < 0 ? "Premature end of file?" : "invalid marker";
        return -1;
    }
    for (int fill = 0;; ++fill) {
        c = stream->GetC();
        if (c < 0) {
            error = "Premature end of file?";
            return -1;
        }
        if (c != 0xFF)
            break;
        if (fill >= kMaxFillBytes) {
            error = "too many padding bytes!";
            return -1;
        }
    }
    if (c == 0) {
        error = "invalid marker";
        return -1;
    }
    return int(c);
}

bool standaloneMarker(int marker)
{
    return marker == kMarkerTem || (marker >= 0xD0 && marker <= 0xD7);
}

// Reads the section after a marker: only the first EXIF block is kept,
// the rest is skipped. False when the scan must stop.
bool readSection(ZvFile *stream, int marker, std::vector<std::uint8_t> &section, ZvExifInfo &info)
{
    const long hi = stream->GetC();
    const long lo = stream->GetC();
    if (hi < 0 || lo < 0) {
        info.lastError = "Premature end of file?";
        return false;
    }
    const std::size_t length = std::size_t(hi << 8 | lo);
    if (length < 2) {
        info.lastError = "invalid marker";
        return false;
    }
    if (marker != kMarkerApp1 || info.isExif)
        return stream->Seek(std::int64_t(length - 2), SEEK_FROM_CURRENT);
    try {
        section.resize(length - 2);
    } catch (const std::bad_alloc &) {
        info.lastError = "Could not allocate memory";
        return false;
    }
    if (stream->Read(section.data(), 1, section.size()) != section.size()) {
        info.lastError = "Premature end of file?";
        return false;
    }
    if (section.size() >= 4 && std::memcmp(section.data(), "Exif", 4) == 0)
        info.ParseExif(section.data(), section.size());
    return true;
}

} // namespace

bool zvExifSaysAdobeRgb(const ZvExifInfo &exif)
{
    constexpr int kUncalibrated = 0xFFFF;
    return exif.colourSpace == kUncalibrated && exif.interopIndex == "R03";
}

double zvExifUnitFactor(int unit)
{
    switch (unit) {
    case 1:
    case 2: return 1.0;
    case 3: return 0.3937007874;
    case 4: return 0.03937007874;
    case 5: return 0.00003937007874;
    default: return 0;
    }
}

void ZvExifInfo::Clear()
{
    *this = ZvExifInfo();
}

bool ZvExifInfo::Read(ZvFile *stream)
{
    Clear();
    if (!stream)
        return false;
    if (stream->GetC() != 0xFF || stream->GetC() != kMarkerSoi) {
        lastError = "Not a JPEG file";
        return false;
    }
    std::vector<std::uint8_t> section;
    for (int sections = 0;; ++sections) {
        if (sections >= kMaxSections) {
            lastError = "Too many sections in jpg file";
            break;
        }
        const int marker = nextMarker(stream, lastError);
        if (marker < 0 || marker == kMarkerSos)
            break;
        if (marker == kMarkerEoi) {
            lastError = "No image in jpeg!\n";
            break;
        }
        if (!standaloneMarker(marker) && !readSection(stream, marker, section, *this))
            break;
    }
    return isExif;
}

bool ZvExifInfo::ParseExif(const std::uint8_t *data, std::size_t length)
{
    if (!data || length < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0) {
        lastError = "Incorrect Exif header";
        return false;
    }
    const std::uint8_t *tiff = data + 6;
    const std::size_t tiffLength = length - 6;
    bool motorola;
    if (tiff[0] == 'I' && tiff[1] == 'I') {
        motorola = false;
    } else if (tiff[0] == 'M' && tiff[1] == 'M') {
        motorola = true;
    } else {
        lastError = "Invalid Exif alignment marker.";
        return false;
    }
    if (readU16(tiff + 2, motorola) != 42) {
        lastError = "Invalid Exif start (1)";
        return false;
    }
    const std::uint32_t first = readU32(tiff + 4, motorola);
    if (first < 8 || first >= tiffLength) {
        lastError = "Incorrect Exif header";
        return false;
    }
    TiffReader reader(tiff, tiffLength, motorola, *this);
    if (!reader.ReadDirectory(first, Dir::Main, 0))
        return false;
    isExif = true;
    DeriveExposure();
    return true;
}

// Cameras that give only the APEX values still describe the exposure.
void ZvExifInfo::DeriveExposure()
{
    if (exposureTime == 0 && shutterSpeedValue > -64 && shutterSpeedValue < 64 && shutterSpeedValue != 0)
        exposureTime = 1.0 / std::exp2(shutterSpeedValue);
    if (fNumber == 0 && apertureValue > -64 && apertureValue < 64 && apertureValue != 0)
        fNumber = std::exp2(apertureValue / 2);
}
