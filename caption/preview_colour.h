// caption/preview_colour.h
#pragma once

#include "imagelib/core/colour_space.h"

class QImage;

// Puts pixels made for the screen into sRGB from the colour space their
// picture's file stated (a phone's Display P3, a camera's Adobe RGB). Called
// once they are reduced to the size shown, so that a 12 MP picture shown at
// 800 x 600 costs the conversion of 800 x 600 pixels.
//
// image is RGB32 or ARGB32_Premultiplied, as zvToQImage gives it; its alpha
// stays as it was and its colours are converted unpremultiplied. For an
// undescribed or sRGB picture, or a description the colour layer refuses,
// nothing is done: not one pixel changes, no copy is made. False, with image
// unchanged, when memory runs out. Any thread.
bool ConvertShownToSrgb(QImage &image, const ZvColourSpacePtr &colour);
