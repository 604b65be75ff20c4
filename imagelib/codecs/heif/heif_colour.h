// imagelib/codecs/heif/heif_colour.h
#pragma once

#include "imagelib/core/colour_space.h"

#include <libheif/heif.h>

#include <cstdint>
#include <vector>

// The ICC profile an item carries in its colr box (prof or rICC), whole;
// empty when it has none, or one too large to be a profile.
std::vector<std::uint8_t> heifIccProfile(const heif_image_handle *handle);

// What an item's colr box says of its colours. An ICC profile wins over
// nclx code points when both are present (libheif reports the ICC one).
struct HeifColour
{
    bool stated = false;     // the item has a colr box at all
    ZvColourSpacePtr colour; // null when it states none or sRGB's
};
HeifColour heifColourOf(const heif_image_handle *handle);
