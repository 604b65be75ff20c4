// imagelib/codecs/orientation.h
#pragma once

#include <cstdint>

class ZvImage;

// Turns and mirrors a decoded 24-bit picture (with its alpha plane) from
// the way it is stored to the way it is meant to be seen, by an EXIF
// orientation: 1 as stored, 2 mirrored left-right, 3 turned 180 degrees,
// 4 mirrored top-bottom, 5 transposed, 6 turned 90 degrees clockwise,
// 7 transversed, 8 turned 90 degrees anticlockwise. Any other value, or a
// picture of another depth, is left as it is. False when memory ran out.
bool zvOrientUpright(ZvImage &image, int orientation);

// The EXIF orientation of an ISO-BMFF picture's transformations, applied
// in the order the format gives them: first the anticlockwise turn by
// angle x 90 degrees (irot), then the mirror (imir; mode 0 exchanges top
// and bottom, mode 1 left and right; mirrorMode < 0 for none).
int zvOrientationOfTransforms(int angle, int mirrorMode);
