// imagelib/codecs/decode_source.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ZvFile;

// The whole rest of a stream in memory, for the libraries that decode from
// a buffer (WebP, AVIF, JPEG XL). Throws ZvCodecError "Read Error" when
// nothing can be read and "File too large" beyond maxBytes; the stream is
// left at its end.
std::vector<std::uint8_t> zvReadWholeStream(ZvFile *stream, std::size_t maxBytes);

// The size gate every buffer-decoding codec passes before the library
// allocates pixels for a picture of width x height (its stored size):
// refuses a zero side, a picture beyond the library's own limit
// (maxPixels), and a small file that claims a picture far larger than its
// bytes can plausibly code, so that a few hostile kilobytes never cost
// gigabytes. Throws ZvCodecError with the reason.
void zvCheckDecodeSize(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels,
                       std::size_t fileBytes);
