// imagelib/codecs/jpeg/exif_editor.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Rewrites the EXIF block of a JPEG file (an APP1 payload: "Exif\0\0" and a
// TIFF structure) so that it stays true of a picture that was turned,
// captioned and resized, and keeps everything else: camera, date taken,
// exposure, GPS, maker notes.
//
// Parse checks the whole structure before anything is changed: header,
// every directory reached from directory 0 (EXIF, GPS, interoperability,
// and directory 1 with its thumbnail), every entry's type, count and value
// offset, directories that loop or overlap one another, values that overlap
// a directory. A block that fails any check is refused and must not be
// copied.
//
// Edits change values in place where they fit. A directory that needs a new
// entry is written anew at the end of the block and its link repointed, so
// no value moves: maker notes that hold offsets stay valid. New values are
// appended too. Pure logic; one thread at a time.
class ZvExifEditor
{
  public:
    ZvExifEditor();
    ~ZvExifEditor();
    ZvExifEditor(const ZvExifEditor &) = delete;
    ZvExifEditor &operator=(const ZvExifEditor &) = delete;

    // False, with the reason in Problem(), when the block is damaged.
    bool Parse(const std::uint8_t *data, std::size_t size);
    const std::string &Problem() const { return mProblem; }

    // Orientation of directory 0 becomes 1 (top left) where the tag is present.
    void SetOrientationUpright();
    // PixelXDimension and PixelYDimension of the EXIF directory, added when
    // missing; nothing when the block has no EXIF directory.
    void SetPixelSize(std::uint32_t width, std::uint32_t height);
    // Directory 1 (the thumbnail's), the thumbnail's bytes and any directory
    // after it leave the block.
    void DropThumbnail();
    // XResolution and YResolution of directory 0 become xDpi/1 and yDpi/1,
    // ResolutionUnit becomes inch.
    void SetResolution(std::uint32_t xDpi, std::uint32_t yDpi);

    // The edited payload, once per Parse. False, with Problem(), when
    // nothing valid was parsed or the result outgrows one JPEG marker segment.
    bool Result(std::vector<std::uint8_t> &out);

  private:
    struct Entry;
    struct Directory;
    struct Range;

    bool Fail(const char *why);
    int FailDirectory(const char *why); // -1, for ReadDirectory
    std::uint16_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;
    void Put16(std::size_t at, std::uint16_t v);
    void Put32(std::size_t at, std::uint32_t v);
    std::size_t TiffSize() const;
    std::uint16_t ValueU16(const Entry &e) const;
    std::uint32_t ValueU32(const Entry &e) const;

    int ReadDirectory(std::uint32_t offset, int kind, int parent, std::uint16_t parentTag);
    bool ReadEntry(std::size_t at, int dir, Entry &e);
    bool FollowLink(int dir, std::uint16_t tag, int kind);
    bool FollowChain();
    bool ReadThumbnail(int dir);
    bool CheckOverlaps() const;

    Entry *Find(int dir, std::uint16_t tag);
    int FindKind(int kind) const;
    void SetInline(int dir, std::uint16_t tag, std::uint16_t type, std::uint32_t value);
    void SetAppended(int dir, std::uint16_t tag, std::uint16_t type, std::vector<std::uint8_t> bytes);
    Entry &Upsert(int dir, std::uint16_t tag);
    void ValueField(Entry &e, std::uint16_t type, std::uint32_t value) const;

    void RemoveDropped();
    std::size_t Append(std::size_t end, std::size_t size);
    void Relocate(std::size_t &end);
    void WriteDirectory(const Directory &d);

    std::vector<std::uint8_t> mBytes; // the whole payload; TIFF offsets count from byte 6
    bool mMotorola = false;
    bool mParsed = false;
    bool mDropThumbnail = false;
    std::vector<Directory> mDirs;
    std::vector<Range> mValues;                    // out-of-line values and thumbnails, by directory
    std::vector<std::vector<std::uint8_t>> mBlobs; // new values, placed by Result
    std::string mProblem;
};
