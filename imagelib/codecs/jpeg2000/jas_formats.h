// imagelib/codecs/jpeg2000/jas_formats.h
#pragma once

#include <cstdint>

class ZvFile;
class ZvImage;

// The formats behind ZvImageJAS. A reader starts at the format's first byte
// and fills `image` (type given for Create); a writer gets a picture the
// codec has already checked (24-bit, or indexed greyscale). All of them
// throw ZvCodecError with the message for the last error.

void jasReadPnm(ZvImage &image, ZvFile *stream);        // P1..P7
void jasWritePnm(const ZvImage &image, ZvFile *stream); // P5 or P6
void jasReadRas(ZvImage &image, ZvFile *stream);
void jasWriteRas(const ZvImage &image, ZvFile *stream);
void jasReadPgx(ZvImage &image, ZvFile *stream);
void jasWritePgx(const ZvImage &image, ZvFile *stream);

// jp2 false: a bare codestream (JPC/J2K).
void jasReadJpeg2000(ZvImage &image, ZvFile *stream, bool jp2);
void jasWriteJpeg2000(const ZvImage &image, ZvFile *stream, bool jp2, std::uint8_t quality);

// Saturating product for sizes taken from files.
inline std::uint64_t jasMul(std::uint64_t a, std::uint64_t b)
{
    return (a != 0 && b > UINT64_MAX / a) ? UINT64_MAX : a * b;
}

// Writes or throws `message`.
void jasWriteBytes(ZvFile *stream, const void *data, std::uint64_t size, const char *message);
