// imagelib/codecs/jpeg/exif_editor.cpp
#include "imagelib/codecs/jpeg/exif_editor.h"

#include "imagelib/core/photo_info.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kPrefix = 6; // "Exif\0\0" before the TIFF structure
constexpr std::size_t kTiffHeader = 8;
constexpr std::size_t kEntrySize = 12;
constexpr std::size_t kMaxDirectories = 16;

// Bytes per component of TIFF field types 1..13 (13: a directory link).
constexpr std::uint8_t kTypeSize[14] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;
constexpr std::uint16_t kRational = 5;
constexpr std::uint16_t kIfd = 13;

constexpr std::uint16_t kTagStripOffsets = 0x0111;
constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTagXResolution = 0x011A;
constexpr std::uint16_t kTagYResolution = 0x011B;
constexpr std::uint16_t kTagResolutionUnit = 0x0128;
constexpr std::uint16_t kTagStripByteCounts = 0x0117;
constexpr std::uint16_t kTagThumbnailOffset = 0x0201;
constexpr std::uint16_t kTagThumbnailLength = 0x0202;
constexpr std::uint16_t kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagGpsIfd = 0x8825;
constexpr std::uint16_t kTagPixelX = 0xA002;
constexpr std::uint16_t kTagPixelY = 0xA003;
constexpr std::uint16_t kTagInteropIfd = 0xA005;
constexpr std::uint16_t kUnitInch = 2;

enum Kind { kMain, kExif, kGps, kInterop, kChained };

std::size_t even(std::size_t n)
{
    return (n + 1) & ~std::size_t(1);
}

} // namespace

struct ZvExifEditor::Entry
{
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint8_t value[4] = {}; // as stored: inline value or offset
    int blob = -1;              // a new value in mBlobs; the offset is set by Result
};

struct ZvExifEditor::Directory
{
    int kind = kMain;
    std::uint32_t offset = 0;
    bool hasNext = false; // the four-byte link after the entries lies inside the block
    std::uint32_t next = 0;
    int parent = -1; // the directory whose entry links here; -1: the header or a chain
    std::uint16_t parentTag = 0;
    bool grown = false;         // written anew at the end of the block
    std::size_t storedSize = 0; // the bytes it took where it was read
    std::vector<Entry> entries;

    std::size_t Size() const { return 2 + kEntrySize * entries.size() + (hasNext ? 4 : 0); }
};

struct ZvExifEditor::Range
{
    std::size_t begin = 0;
    std::size_t end = 0;
    int dir = 0;
};

ZvExifEditor::ZvExifEditor() = default;
ZvExifEditor::~ZvExifEditor() = default;

bool ZvExifEditor::Fail(const char *why)
{
    mProblem = why;
    mParsed = false;
    return false;
}

int ZvExifEditor::FailDirectory(const char *why)
{
    Fail(why);
    return -1;
}

std::size_t ZvExifEditor::TiffSize() const
{
    return mBytes.size() - kPrefix;
}

std::uint16_t ZvExifEditor::U16(std::size_t at) const
{
    const std::uint8_t *p = mBytes.data() + kPrefix + at;
    return mMotorola ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
}

std::uint32_t ZvExifEditor::U32(std::size_t at) const
{
    const std::uint8_t *p = mBytes.data() + kPrefix + at;
    if (mMotorola)
        return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

void ZvExifEditor::Put16(std::size_t at, std::uint16_t v)
{
    std::uint8_t *p = mBytes.data() + kPrefix + at;
    p[mMotorola ? 0 : 1] = std::uint8_t(v >> 8);
    p[mMotorola ? 1 : 0] = std::uint8_t(v);
}

void ZvExifEditor::Put32(std::size_t at, std::uint32_t v)
{
    std::uint8_t *p = mBytes.data() + kPrefix + at;
    for (int i = 0; i < 4; ++i)
        p[mMotorola ? 3 - i : i] = std::uint8_t(v >> (8 * i));
}

bool ZvExifEditor::Parse(const std::uint8_t *data, std::size_t size)
{
    mBytes.clear();
    mDirs.clear();
    mValues.clear();
    mBlobs.clear();
    mProblem.clear();
    mDropThumbnail = false;
    mParsed = false;
    if (!zvIsExifPayload(data, size) || size < kPrefix + kTiffHeader)
        return Fail("no EXIF header");
    if (size > kZvMaxMarkerPayload)
        return Fail("EXIF block longer than a marker");
    mBytes.assign(data, data + size);
    const std::uint8_t *tiff = mBytes.data() + kPrefix;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        mMotorola = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        mMotorola = false;
    else
        return Fail("unknown byte order");
    if (U16(2) != 42)
        return Fail("not a TIFF structure");
    mParsed = true;
    if (ReadDirectory(U32(4), kMain, -1, 0) < 0 || !FollowLink(0, kTagExifIfd, kExif) ||
        !FollowLink(0, kTagGpsIfd, kGps))
        return false;
    const int exif = FindKind(kExif);
    if ((exif >= 0 && !FollowLink(exif, kTagInteropIfd, kInterop)) || !FollowChain())
        return false;
    return CheckOverlaps() || Fail("overlapping directories or values");
}

// The index of the new directory, or -1 after Fail.
int ZvExifEditor::ReadDirectory(std::uint32_t offset, int kind, int parent, std::uint16_t parentTag)
{
    const std::size_t length = TiffSize();
    if (offset < kTiffHeader || offset > length || length - offset < 2)
        return FailDirectory("directory outside the block");
    if (mDirs.size() >= kMaxDirectories)
        return FailDirectory("too many directories");
    for (const Directory &d : mDirs) {
        if (d.offset == offset)
            return FailDirectory("directories form a loop");
    }
    const std::size_t count = U16(offset);
    if ((length - offset - 2) / kEntrySize < count)
        return FailDirectory("directory longer than the block");
    Directory d;
    d.kind = kind;
    d.offset = offset;
    d.parent = parent;
    d.parentTag = parentTag;
    const std::size_t link = offset + 2 + kEntrySize * count;
    d.hasNext = length - link >= 4;
    d.next = d.hasNext ? U32(link) : 0;
    if (kind == kMain && !d.hasNext)
        return FailDirectory("directory 0 has no link");
    const int index = int(mDirs.size());
    d.entries.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!ReadEntry(offset + 2 + kEntrySize * i, index, d.entries[i]))
            return -1;
    }
    d.storedSize = d.Size();
    mDirs.push_back(std::move(d));
    return index;
}

bool ZvExifEditor::ReadEntry(std::size_t at, int dir, Entry &e)
{
    e.tag = U16(at);
    e.type = U16(at + 2);
    e.count = U32(at + 4);
    std::memcpy(e.value, mBytes.data() + kPrefix + at + 8, 4);
    if (e.type < 1 || e.type > kIfd)
        return Fail("unknown field type");
    const std::uint64_t bytes = std::uint64_t(e.count) * kTypeSize[e.type];
    if (bytes <= 4)
        return true;
    const std::uint32_t offset = U32(at + 8);
    if (offset < kTiffHeader || offset > TiffSize() || bytes > TiffSize() - offset)
        return Fail("value outside the block");
    mValues.push_back({offset, std::size_t(offset + bytes), dir});
    return true;
}

// A link to a sub-directory is one LONG (or IFD) value.
bool ZvExifEditor::FollowLink(int dir, std::uint16_t tag, int kind)
{
    const Entry *e = Find(dir, tag);
    if (!e)
        return true;
    if ((e->type != kLong && e->type != kIfd) || e->count != 1)
        return Fail("malformed directory link");
    return ReadDirectory(ValueU32(*e), kind, dir, tag) >= 0;
}

// Directory 1 and whatever follows it in the chain after directory 0.
bool ZvExifEditor::FollowChain()
{
    std::uint32_t next = mDirs[0].next;
    while (next != 0) {
        const int index = ReadDirectory(next, kChained, -1, 0);
        if (index < 0 || !ReadThumbnail(index))
            return false;
        next = mDirs[std::size_t(index)].next;
    }
    return true;
}

// The thumbnail of a chained directory, as a JPEG (offset and length) or a
// single uncompressed strip: inside the block, or the block is damaged.
bool ZvExifEditor::ReadThumbnail(int dir)
{
    static const std::uint16_t kPairs[][2] = {{kTagThumbnailOffset, kTagThumbnailLength},
                                              {kTagStripOffsets, kTagStripByteCounts}};
    auto number = [this](const Entry *e, std::uint32_t &v) {
        if (!e || e->count != 1 || (e->type != kShort && e->type != kLong))
            return false;
        v = e->type == kShort ? ValueU16(*e) : ValueU32(*e);
        return true;
    };
    for (const auto &pair : kPairs) {
        const Entry *start = Find(dir, pair[0]);
        const Entry *length = Find(dir, pair[1]);
        // Several strips are left where they are: the directory that finds them goes.
        if ((!start && !length) || (pair[0] == kTagStripOffsets && start && start->count > 1))
            continue;
        std::uint32_t begin = 0, size = 0;
        if (!number(start, begin) || !number(length, size))
            return Fail("malformed thumbnail");
        if (begin < kTiffHeader || begin > TiffSize() || size > TiffSize() - begin)
            return Fail("thumbnail outside the block");
        mValues.push_back({begin, std::size_t(begin) + size, dir});
    }
    return true;
}

std::uint16_t ZvExifEditor::ValueU16(const Entry &e) const
{
    return mMotorola ? std::uint16_t(e.value[0] << 8 | e.value[1])
                     : std::uint16_t(e.value[1] << 8 | e.value[0]);
}

std::uint32_t ZvExifEditor::ValueU32(const Entry &e) const
{
    const std::uint8_t *p = e.value;
    if (mMotorola)
        return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

// Directories may overlap neither one another nor any value: an edit of one
// would change the other.
bool ZvExifEditor::CheckOverlaps() const
{
    std::vector<Range> dirs;
    for (std::size_t i = 0; i < mDirs.size(); ++i)
        dirs.push_back({mDirs[i].offset, mDirs[i].offset + mDirs[i].Size(), int(i)});
    std::sort(dirs.begin(), dirs.end(), [](const Range &a, const Range &b) { return a.begin < b.begin; });
    for (std::size_t i = 1; i < dirs.size(); ++i) {
        if (dirs[i].begin < dirs[i - 1].end)
            return false;
    }
    for (const Range &v : mValues) {
        for (const Range &d : dirs) {
            if (v.begin < d.end && d.begin < v.end)
                return false;
        }
    }
    return true;
}

ZvExifEditor::Entry *ZvExifEditor::Find(int dir, std::uint16_t tag)
{
    if (dir < 0 || std::size_t(dir) >= mDirs.size())
        return nullptr;
    for (Entry &e : mDirs[std::size_t(dir)].entries) {
        if (e.tag == tag)
            return &e;
    }
    return nullptr;
}

int ZvExifEditor::FindKind(int kind) const
{
    for (std::size_t i = 0; i < mDirs.size(); ++i) {
        if (mDirs[i].kind == kind)
            return int(i);
    }
    return -1;
}

// The entry for tag, inserted in tag order when missing (which moves the
// directory to the end of the block).
ZvExifEditor::Entry &ZvExifEditor::Upsert(int dir, std::uint16_t tag)
{
    if (Entry *e = Find(dir, tag))
        return *e;
    Directory &d = mDirs[std::size_t(dir)];
    auto at = std::find_if(d.entries.begin(), d.entries.end(), [tag](const Entry &e) { return e.tag > tag; });
    Entry fresh;
    fresh.tag = tag;
    d.grown = true;
    return *d.entries.insert(at, fresh);
}

// SHORT and LONG values sit at the start of the four-byte field in either byte order.
void ZvExifEditor::ValueField(Entry &e, std::uint16_t type, std::uint32_t value) const
{
    std::memset(e.value, 0, 4);
    if (type == kShort) {
        e.value[mMotorola ? 0 : 1] = std::uint8_t(value >> 8);
        e.value[mMotorola ? 1 : 0] = std::uint8_t(value);
        return;
    }
    for (int i = 0; i < 4; ++i)
        e.value[mMotorola ? 3 - i : i] = std::uint8_t(value >> (8 * i));
}

void ZvExifEditor::SetInline(int dir, std::uint16_t tag, std::uint16_t type, std::uint32_t value)
{
    Entry &e = Upsert(dir, tag);
    e.type = type;
    e.count = 1;
    e.blob = -1;
    ValueField(e, type, value);
}

// An out-of-line value is always appended, never written over the old one:
// another entry may share those bytes.
void ZvExifEditor::SetAppended(int dir, std::uint16_t tag, std::uint16_t type,
                               std::vector<std::uint8_t> bytes)
{
    Entry &e = Upsert(dir, tag);
    e.type = type;
    e.count = std::uint32_t(bytes.size() / kTypeSize[type]);
    e.blob = int(mBlobs.size());
    mBlobs.push_back(std::move(bytes));
}

void ZvExifEditor::SetOrientationUpright()
{
    if (mParsed && Find(0, kTagOrientation))
        SetInline(0, kTagOrientation, kShort, 1);
}

void ZvExifEditor::SetPixelSize(std::uint32_t width, std::uint32_t height)
{
    const int exif = mParsed ? FindKind(kExif) : -1;
    if (exif < 0)
        return;
    for (const auto &[tag, value] : {std::pair{kTagPixelX, width}, std::pair{kTagPixelY, height}}) {
        const Entry *old = Find(exif, tag);
        const bool wide = value > 0xFFFF || (old && old->type == kLong);
        SetInline(exif, tag, wide ? kLong : kShort, value);
    }
}

void ZvExifEditor::DropThumbnail()
{
    mDropThumbnail = mParsed;
}

void ZvExifEditor::SetResolution(std::uint32_t xDpi, std::uint32_t yDpi)
{
    if (!mParsed)
        return;
    for (const auto &[tag, dpi] : {std::pair{kTagXResolution, xDpi}, std::pair{kTagYResolution, yDpi}}) {
        Entry scratch;
        std::vector<std::uint8_t> rational(8);
        ValueField(scratch, kLong, dpi);
        std::memcpy(rational.data(), scratch.value, 4);
        ValueField(scratch, kLong, 1);
        std::memcpy(rational.data() + 4, scratch.value, 4);
        SetAppended(0, tag, kRational, std::move(rational));
    }
    SetInline(0, kTagResolutionUnit, kShort, kUnitInch);
}

bool ZvExifEditor::Result(std::vector<std::uint8_t> &out)
{
    if (!mParsed) {
        if (mProblem.empty())
            mProblem = "no EXIF block parsed";
        return false;
    }
    if (mDropThumbnail)
        RemoveDropped();
    // A directory that ends too near the end of the block for its link
    // would read new bytes appended after it as one: it moves as well.
    for (Directory &d : mDirs)
        d.grown = d.grown || (d.kind != kChained && !d.hasNext);
    std::size_t end = even(TiffSize());
    std::vector<std::size_t> blobAt;
    for (const std::vector<std::uint8_t> &blob : mBlobs)
        blobAt.push_back(std::exchange(end, even(end + blob.size())));
    Relocate(end);
    if (kPrefix + end > kZvMaxMarkerPayload)
        return Fail("EXIF block too large for a marker");
    mBytes.resize(kPrefix + end, 0);
    for (std::size_t i = 0; i < mBlobs.size(); ++i)
        std::copy(mBlobs[i].begin(), mBlobs[i].end(), mBytes.begin() + std::ptrdiff_t(kPrefix + blobAt[i]));
    for (Directory &d : mDirs) {
        for (Entry &e : d.entries) {
            if (e.blob >= 0)
                ValueField(e, kLong, std::uint32_t(blobAt[std::size_t(e.blob)]));
            e.blob = -1;
        }
        if (d.kind != kChained)
            WriteDirectory(d);
    }
    mBlobs.clear();
    mParsed = false;
    out = std::move(mBytes);
    mBytes.clear();
    return true;
}

// Clears the bytes only the chained directories use and cuts them off the
// end of the block where nothing kept follows them.
void ZvExifEditor::RemoveDropped()
{
    enum : std::uint8_t { kUnknown, kKept, kDropped };
    std::vector<std::uint8_t> mark(TiffSize(), kUnknown);
    auto paint = [&mark](std::size_t begin, std::size_t end, std::uint8_t how) {
        std::fill(mark.begin() + std::ptrdiff_t(begin),
                  mark.begin() + std::ptrdiff_t(std::min(end, mark.size())), how);
    };
    for (int pass : {kDropped, kKept}) {
        for (const Directory &d : mDirs) {
            if ((d.kind == kChained) == (pass == kDropped))
                paint(d.offset, d.offset + d.storedSize, std::uint8_t(pass));
        }
        for (const Range &v : mValues) {
            if ((mDirs[std::size_t(v.dir)].kind == kChained) == (pass == kDropped))
                paint(v.begin, v.end, std::uint8_t(pass));
        }
    }
    paint(0, kTiffHeader, kKept);
    for (std::size_t i = 0; i < mark.size(); ++i) {
        if (mark[i] == kDropped)
            mBytes[kPrefix + i] = 0;
    }
    std::size_t end = mark.size();
    while (end > kTiffHeader && mark[end - 1] == kDropped)
        --end;
    mBytes.resize(kPrefix + end);
    mDirs[0].next = 0;
}

// Gives every grown directory a place after end, clears its old place and
// points its link there.
void ZvExifEditor::Relocate(std::size_t &end)
{
    for (Directory &d : mDirs) {
        if (!d.grown)
            continue;
        std::fill_n(mBytes.begin() + std::ptrdiff_t(kPrefix + d.offset), d.storedSize, std::uint8_t(0));
        d.offset = std::uint32_t(end);
        d.hasNext = true;
        end = even(end + d.Size());
    }
    for (std::size_t i = 0; i < mDirs.size(); ++i) {
        const Directory &d = mDirs[i];
        if (!d.grown)
            continue;
        if (i == 0)
            Put32(4, d.offset);
        else if (Entry *link = Find(d.parent, d.parentTag))
            ValueField(*link, kLong, d.offset);
    }
}

void ZvExifEditor::WriteDirectory(const Directory &d)
{
    std::size_t at = d.offset;
    Put16(at, std::uint16_t(d.entries.size()));
    at += 2;
    for (const Entry &e : d.entries) {
        Put16(at, e.tag);
        Put16(at + 2, e.type);
        Put32(at + 4, e.count);
        std::memcpy(mBytes.data() + kPrefix + at + 8, e.value, 4);
        at += kEntrySize;
    }
    if (d.hasNext)
        Put32(at, d.next);
}
