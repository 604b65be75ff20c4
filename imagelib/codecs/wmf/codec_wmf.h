// imagelib/codecs/wmf/codec_wmf.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <vector>

class MetaBytes;
class QImage;
struct MetaFrame;

// WMF (placeable or plain) and EMF metafiles, rendered by playing their
// records onto a new 24-bit picture with a white background; not written.
// The picture shows the metafile's frame at 96 dots per inch, scaled down
// to fit GetMaxSide on its longer side:
//  - placeable WMF: the header's bounds in its units per inch;
//  - plain WMF: the window set before the first drawing, taken in twips
//    (1440 per inch), or else the bounds of the drawing at 96 per inch;
//  - EMF: the header's frame (hundredths of millimetres), placed in the
//    reference device's units, or its bounds in device pixels.
// Text needs a QGuiApplication; without one a metafile plays without text.
//
// Orientation: none: a drawing has no camera to have been turned.
class ZvImageWMF : public ZvCodec
{
  public:
    ZvImageWMF()
        : ZvCodec(ZV_TYPE_WMF)
    {
    }

    bool Decode(ZvFile *stream) override;
    bool Encode(ZvFile *stream) override;

    // The longest side of a rendered picture (4096 unless changed). Shared by
    // the whole process; tests and fuzzing set it smaller.
    static std::uint32_t GetMaxSide();
    static void SetMaxSide(std::uint32_t side);

  private:
    void DecodeStream(ZvFile *stream);
    void DecodeWmf(const MetaBytes &file, bool placeable);
    MetaFrame WmfFrame(const MetaBytes &file, bool placeable, std::size_t start);
    void DecodeEmf(const MetaBytes &file);
    void TakePicture(const QImage &picture);
    bool Tick(int percent);
};
