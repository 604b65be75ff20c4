// imagelib/core/image_display.h
#pragma once

#include <QImage>

class ZvImage;

// A picture made ready for the screen with its transparency, read as the
// export reads it: the alpha plane, the transparent index of an indexed
// picture (or the transparent colour of a 24-bit one) and the alpha of the
// palette entries when the palette carries alpha. Any thread; the picture
// is only read unless said otherwise.

// Whether any pixel of picture may be less than opaque by those rules.
bool zvHasTransparency(const ZvImage &picture);

// The picture's pixels, top row first: RGB32 when it has no transparency
// (each pixel its colour, exactly), else ARGB32_Premultiplied. Null for an
// empty picture or when the memory runs out.
QImage zvToQImage(const ZvImage &picture);

// Puts the pixels of image (the same size or another; its alpha ignored) in
// place of picture's as a 24-bit picture without transparency, keeping the
// record the picture was loaded with: type, resolution, orientation and its
// as-loaded size and depth. False with the picture unchanged when memory
// runs out or the picture borrows another's pixels.
bool zvTakeOpaquePixels(ZvImage &picture, const QImage &image);
