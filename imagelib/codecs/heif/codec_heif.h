// imagelib/codecs/heif/codec_heif.h
#pragma once

#include "imagelib/codecs/heif/heif_handles.h"
#include "imagelib/codecs/whole_file_codec.h"

// HEIF and HEIC still pictures over libheif, read only.
//
// Decode takes the primary picture upright: libheif applies the file's
// rotation, mirroring and crop itself, so the EXIF orientation inside is
// informational and the photo information kept (EXIF, XMP, ICC profile,
// while the picture keeps it) says orientation 1. Colour becomes 24 bits,
// alpha an alpha plane; 10- and 12-bit samples are scaled to 8 bits and
// rounded. The colr box (ICC profile, or nclx code points) becomes the
// picture's colour description on every decode; a PQ or HLG picture is
// tone-mapped to sRGB from its deep samples instead (ZvHdrToneMap) and
// left undescribed. When the caller asks for a reduced decode and an embedded
// thumbnail covers it, the thumbnail is decoded instead; the as-loaded
// header stays that of the primary picture (its sides and bits per pixel
// as stored); a thumbnail without a colr box of its own takes the
// primary's colour description. With the escape field at -1 only the primary picture's size
// lands in the header.
//
// Bad input is refused before libheif allocates for it (kFormat.limits):
// files above 1 GiB, pictures above 64 MP, and pictures above 4 MP plus
// 4096 pixels per byte of the file; libheif itself refuses items with a
// side above kMaxSide. One thread at a time per object; libheif itself may
// decode the tiles of one picture on several threads.
//
// Orientation: the decoder applies it (libheif follows irot/imir; the EXIF tag inside is informational).
class ZvImageHEIF : public ZvWholeFileCodec
{
  public:
    static const Format kFormat;
    static constexpr int kMaxSide = 16384;

    ZvImageHEIF()
        : ZvWholeFileCodec(ZV_TYPE_HEIF, kFormat)
    {
    }

  private:
    void DecodeBytes(std::vector<std::uint8_t> &bytes) override;
    // The smallest embedded thumbnail that covers the reduced decode asked
    // for, or none.
    HeifHandlePtr PickThumbnail(const heif_image_handle *primary) const;
    // hdr: the PQ or HLG description the samples are tone-mapped from, or
    // null to scale them to 8 bits as they are.
    void DecodePixels(const heif_image_handle *handle, std::uint64_t pixelLimit, const ZvColourSpace *hdr);
    // Photo information (heif_photo_info.cpp).
    void StorePhotoInfo(const heif_image_handle *primary);
};
