// export/format_ready.h
#pragma once

#include <cstdint>

class ZvImage;

// What a picture must become before an encoder can write it without
// refusing it or losing what it shows. Shared by every path that saves
// pictures it did not make itself (the export; scans saved as JPEG).

// JPEG holds only 24-bit colour or 8-bit grey: an indexed picture whose
// palette is all grey becomes 8-bit grey (a 1-bit black and white scan
// too), any other indexed picture 24-bit through its palette. Resolution,
// type and JPEG settings are kept. False with the last error set when the
// new picture cannot be made; the picture is then as it was.
bool makeJpegColours(ZvImage &picture);

// GIF holds transparency as one transparent colour: a 24-bit picture with
// an alpha plane gets a colour that no visible pixel has as that colour,
// its clear pixels (alpha below half) painted with it, and loses the plane.
// So a visible pixel never turns transparent by sharing the colour.
void makeGifTransparency(ZvImage &picture);

// The two above, by the type about to be written; other types take the
// picture as it is.
bool makeReadyFor(ZvImage &picture, std::uint32_t type);
