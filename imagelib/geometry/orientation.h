// imagelib/geometry/orientation.h
#pragma once

#include <cstdint>

class ZvImage;

// Turning pictures upright as the camera held them. An orientation is the
// EXIF / TIFF value 1..8 (0 and anything else count as 1): which corner of
// the stored pixels is the top left of the upright picture.
//   1 as stored          2 mirrored left-right   3 half turn   4 mirrored top-bottom
//   5 mirrored along the main diagonal (transposed)            6 stored a quarter turn
//     left: turn a quarter right to be upright                 7 transverse
//   8 stored a quarter turn right: turn a quarter left
// Each one is "mirror left-right or not, then turn clockwise k quarters",
// which is what lets the user's own turn be added on top as one more turn.

// Whether a picture of this orientation swaps width and height when turned upright.
bool zvOrientationSwapsSides(int orientation);

// The single orientation that does orientation first and then the user's
// turn of degrees (90 clockwise, -90 counter-clockwise, 180; anything else
// is no turn).
int zvOrientationWithTurn(int orientation, int degrees);

// Turns the picture's pixels (and its alpha plane) from stored to upright
// for orientation, in at most one mirror in place and one turn, and sets
// the picture's orientation to 1. False, with a message in the last error,
// when the turned picture cannot be allocated; the picture is then as it
// was. A picture that is turned loses its selection plane.
bool zvTurnUpright(ZvImage &image, int orientation);

// The orientation of an ISO-BMFF picture's transformations, applied in the
// order the format gives them: first the anticlockwise turn by angle x 90
// degrees (irot), then the mirror (imir; mode 0 exchanges top and bottom,
// mode 1 left and right; mirrorMode < 0 for none).
int zvOrientationOfTransforms(int angle, int mirrorMode);
