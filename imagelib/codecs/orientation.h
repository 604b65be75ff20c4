// imagelib/codecs/orientation.h
#pragma once

// The EXIF orientation (imagelib/geometry/orientation.h) of an ISO-BMFF
// picture's transformations, applied in the order the format gives them:
// first the anticlockwise turn by angle x 90 degrees (irot), then the mirror
// (imir; mode 0 exchanges top and bottom, mode 1 left and right; mirrorMode
// < 0 for none).
int zvOrientationOfTransforms(int angle, int mirrorMode);
