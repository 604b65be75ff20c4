// tests/support/oriented_picture.h
// Pictures that say how the camera held them, with a mark that shows where
// their stored top-left corner ends up.
#pragma once

#include "tests/support/pictures.h"

#include <string>

// A 24-bit picture of width x height, white, with a red block over the
// top-left quarter-by-quarter of its stored pixels.
ZvImage makeMarkedPicture(int width, int height);

// Saves makeMarkedPicture as a JPEG whose EXIF block gives orientation
// (0: no EXIF block at all). False when the file could not be written.
bool writeOrientedJpeg(const std::string &path, int width, int height, int orientation);

// "top-left", "top-right", "bottom-right" or "bottom-left": the corner of
// the picture that holds the red mark; "" when not exactly one does.
std::string markedCorner(const Rgb8 &picture);

// Where the stored top-left corner lies once a picture of this EXIF
// orientation stands upright.
std::string uprightCorner(int orientation);
