// export/photo_info_export.h
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ZvImage;

// Makes the photo information a picture kept from its file true of the
// output it is about to be saved as, just before the save:
//   JPEG, WebP, AVIF and JPEG XL keep EXIF, XMP and the ICC profile; PNG and
//   TIFF keep the profile; other formats keep nothing.
//   EXIF: Orientation becomes 1 when the export turned the picture, by the
//   camera's orientation or the user's turn (an unturned picture keeps its
//   tag, so viewers still show it upright), the
//   pixel dimensions become the picture's, the thumbnail is dropped (it would
//   show the picture without its caption) and the resolution becomes the
//   density the JPEG writer stores. The XMP orientation follows the EXIF one.
//   A damaged EXIF block is never copied.
//   A profile is kept only when sound and made for the output's colours
//   (grey for grey pictures, RGB for colour ones).
// Returns one "saved without ..." text per piece left out for a reason the
// user should hear of. Nothing happens for a picture that does not keep its
// photo information.
std::vector<std::string> fitPhotoInfo(ZvImage &picture, std::uint32_t outputType, bool turned);

// Whether files of the type can carry a colour profile (JPEG, PNG, TIFF,
// WebP, AVIF, JPEG XL).
bool outputCarriesProfile(std::uint32_t type);

// Sets a 1 in place of the value of every tiff:Orientation of an XMP
// packet (attribute or element form); the packet keeps its length.
void xmpSetOrientationUpright(std::vector<std::uint8_t> &packet);
