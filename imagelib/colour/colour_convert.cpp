// imagelib/colour/colour_convert.cpp
#include "imagelib/colour/colour_convert.h"
