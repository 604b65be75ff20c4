// collection/thumb_obj.h
#pragma once

#include "imagelib/core/image.h"
#include "platform/win_types.h"

#include <QString>

#include <cstdint>
#include <memory>

class ArchiveReader;
class ArchiveWriter;
class QPainter;
struct ThumbSize;

// One thumbnail with the facts of its file: name, path, modification time
// and the resolution of the full picture. Built and made on the loader
// thread, then handed to the UI thread, which draws it and stores it in the
// cache; never used by two threads at once.
class CThumbObj
{
  public:
    // Takes the file name from the path and the modification time from the
    // file's status; the picture starts empty.
    explicit CThumbObj(const QString &path);
    // An object to be filled by Serialize (reading).
    CThumbObj();

    // Decodes the file, fits it into the limits, converts its colours to
    // sRGB from the colour space the file states and turns it upright as the
    // camera held it (its resolution facts too); transparent parts are laid
    // over the checkerboard. False when the extension
    // names no picture type (the empty picture stays); a picture that fails
    // to decode leaves none at all. Made is set either way.
    bool MakeThumbnail();
    // Draws the picture into target (right and bottom exclusive) and keeps
    // where it went as the drawn rectangle; the result of Stretch.
    long Draw(QPainter &painter, const RECT &target);

    // The body of the cache record: name, path, resolution, modified, picture.
    void Serialize(ArchiveWriter &out) const;
    // Throws CacheFormatError or ZvArchiveError on damaged bytes.
    void Serialize(ArchiveReader &in);

    const RECT &DrawnRect() const { return mDrawn; }
    // The thumbnail; null when decoding failed.
    const ZvImage *Picture() const { return mPicture.get(); }
    std::int32_t Resolution() const { return mResolution; }
    // Seconds since 1970-01-01 UTC, as 32 bits.
    std::uint32_t Modified() const { return mModified; }
    const QString &Path() const { return mPath; }
    const QString &FileName() const { return mFileName; }
    int Attached() const { return mAttached; }
    void SetAttached(int on) { mAttached = on; }
    int Made() const { return mMade; }
    void SetMade(int on) { mMade = on; }

    // The 32-bit modification time of a file as the object stores it; 0
    // when the file cannot be read.
    static std::uint32_t FileModified(const QString &path);

  private:
    bool decode(std::uint32_t type);
    static bool shape(ZvImage &picture);
    static bool flattenTransparency(ZvImage &picture, ThumbSize size);
    static bool turnUpright(ZvImage &picture);

    RECT mDrawn;
    int mAttached = 0;
    std::uint32_t mModified = 0;
    QString mPath;
    QString mFileName;
    std::unique_ptr<ZvImage> mPicture;
    std::int32_t mResolution = 0;
    int mMade = 0;
};
