// acquire/transfer_picture.h
#pragma once

#include <cstddef>
#include <cstdint>

class ZvImage;

// A picture handed over by a TWAIN source in one memory block whose length
// is not passed along: on Linux a complete TIFF file, elsewhere a packed DIB
// (40-byte header, palette, bottom-up rows). Both are told apart by their
// first bytes.
enum class TransferKind { Unknown, Tiff, Dib };

TransferKind TransferKindOf(const std::uint8_t *data, std::size_t available);

// Bytes the picture occupies, from its own structure (TIFF: the first
// directory, its values and its strips or tiles; DIB: header, palette and
// rows). 0 when the bytes are neither or their structure points past limit.
std::size_t TransferExtent(const std::uint8_t *data, std::size_t limit);

// Decodes the block through the image library. False with the image's
// last error set when the bytes are no picture.
bool LoadTransferred(const std::uint8_t *data, std::size_t size, ZvImage &image);
