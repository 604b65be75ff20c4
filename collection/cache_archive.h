// collection/cache_archive.h
#pragma once

#include <QByteArray>

#include <cstdint>
#include <stdexcept>

class ArchiveReader;
class ArchiveWriter;

// The framing of the thumbnail cache around the picture records: length-
// prefixed strings, the object count and the class tags of the objects.
// All integers little-endian.

// A cache file whose bytes break the format; what() says how.
class CacheFormatError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

// A cache file of an earlier schema of the class: sound, but its thumbnails
// are to be made again.
class CacheOutdatedError : public CacheFormatError
{
  public:
    using CacheFormatError::CacheFormatError;
};

// Prefix: one byte below 255; else 0xFF and a 16-bit length below 0xFFFE;
// else 0xFF, 0xFFFF and a 32-bit length. The prefix counts bytes.
void WriteArchiveString(ArchiveWriter &out, const QByteArray &bytes);
// Throws CacheFormatError when the prefix is unknown or the bytes run out.
QByteArray ReadArchiveString(ArchiveReader &in);

// 16-bit, or 0xFFFF followed by 32 bits from 0xFFFF on.
void WriteObjectCount(ArchiveWriter &out, std::uint32_t count);
std::uint32_t ReadObjectCount(ArchiveReader &in);

// The tag before each object: the first object describes its class
// (0xFFFF, schema, name length, name); later ones refer to it as class 1
// (0x8001).
inline constexpr char kThumbClassName[] = "CThumbObj";
// Schema 1: thumbnails stand upright as the camera held the picture, with
// the as-loaded size turned likewise. A cache of schema 0 holds them as
// stored and is made again rather than shown sideways.
// Schema 2: transparent parts are laid over the checkerboard; a cache of
// schema 1 holds them over black and is made again.
// Schema 3: thumbnails are converted to sRGB from the colour space their
// file states; a cache of schema 2 holds a phone's Display P3 numbers shown
// as sRGB, washed out, and is made again. The record's bytes are as before.
inline constexpr std::uint16_t kThumbSchema = 3;
void WriteThumbClassTag(ArchiveWriter &out, bool first);

enum class ObjectTag { Thumb, Null };
// Reads one tag; classKnown tells whether the class was described before and
// is set once it is. Throws CacheFormatError on another class or schema, a
// reference to an undescribed class, or a short read; CacheOutdatedError on
// an earlier schema of the class.
ObjectTag ReadThumbClassTag(ArchiveReader &in, bool &classKnown);
