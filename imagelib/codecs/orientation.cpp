// imagelib/codecs/orientation.cpp
#include "imagelib/codecs/orientation.h"

int zvOrientationOfTransforms(int angle, int mirrorMode)
{
    // Rows: the anticlockwise turn; columns: no mirror, top-bottom, left-right.
    static const int kTable[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
    const int column = mirrorMode == 0 ? 1 : (mirrorMode == 1 ? 2 : 0);
    return kTable[angle & 3][column];
}
