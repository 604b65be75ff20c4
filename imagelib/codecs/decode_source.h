// imagelib/codecs/decode_source.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ZvFile;

// What a codec that decodes a whole file from memory (WebP, AVIF, JPEG XL,
// HEIF, camera RAW) accepts before its library allocates for the picture.
// Each codec keeps its own numbers beside its code.
struct ZvDecodeLimits
{
    std::size_t maxFileBytes;    // the most zvReadWholeStream takes into memory
    std::uint64_t maxPixels;     // the format's or the library's own bound
    std::uint64_t freePixels;    // pictures up to this many pass whatever their file's size
    std::uint64_t pixelsPerByte; // each byte of the file pays for this many pixels more
};

// The whole rest of a stream in memory. Throws ZvCodecError "Read Error"
// when reading fails or nothing is there, and ZvCodecTooLarge "File too
// large" beyond maxBytes, before buying that much memory when the stream
// knows its size. The stream is left at its end.
std::vector<std::uint8_t> zvReadWholeStream(ZvFile *stream, std::size_t maxBytes);

// The most pixels a file of fileBytes may decode to under limits.
std::uint64_t zvDecodePixelAllowance(const ZvDecodeLimits &limits, std::size_t fileBytes);

// The size gate every buffer-decoding codec passes before the library
// allocates pixels for a picture of width x height (its stored size):
// refuses a zero side (ZvCodecError) and, as ZvCodecTooLarge, a picture
// beyond limits.maxPixels or the memory limit, or far larger than
// fileBytes can plausibly code (above zvDecodePixelAllowance), so that a
// few hostile kilobytes never cost gigabytes.
void zvCheckDecodeSize(std::uint64_t width, std::uint64_t height, const ZvDecodeLimits &limits,
                       std::size_t fileBytes);
