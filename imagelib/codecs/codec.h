// imagelib/codecs/codec.h
#pragma once

#include "imagelib/core/codec_error.h"
#include "imagelib/core/image.h"

#include <cstddef>
#include <cstdint>
#include <new>

// A format codec: a full image object that decodes a stream into itself or
// encodes itself (usually a ghost of the picture being saved) into a stream.
// Both report failure as false with a message in the last error.
class ZvCodec : public ZvImage
{
  public:
    explicit ZvCodec(std::uint32_t imagetype)
        : ZvImage(imagetype)
    {
    }

    virtual bool Decode(ZvFile *stream) = 0;
    virtual bool Encode(ZvFile *stream) = 0;

    // The header the picture reports as loaded (GetOrignWidth and its
    // neighbours) after a successful decode: the decoded one, unless the
    // codec decoded a smaller rendition or fewer bits than the file holds.
    virtual BITMAPINFOHEADER AsLoadedHead() const { return mHead; }

  protected:
    // The check every encoder makes first: a stream and pixels to write.
    bool EncodeSafeCheck(ZvFile *stream);

    // Runs a decode or encode whose failures are thrown as ZvCodecError,
    // turning them, and an exhausted allocation, into false with the message
    // in the last error (kind BadData, Cancelled when the escape flag stopped
    // it, TooLarge for ZvCodecTooLarge and for memory). A failed decode
    // leaves no half-built picture.
    enum class Step { Decode, Encode };
    template <class Body> bool RunGuarded(Step step, const char *outOfMemory, Body &&body);
};

// Whether a rendition of renditionWidth x renditionHeight pixels is enough
// for a picture of width x height shown within needWidth x needHeight: the
// picture fitted into that box (never enlarged, integer sides) fits inside
// the rendition. A box of 0 x 0 asks for the full picture.
bool zvRenditionCovers(std::int64_t width, std::int64_t height, std::int64_t renditionWidth,
                       std::int64_t renditionHeight, std::int64_t needWidth, std::int64_t needHeight);

template <class Body> bool ZvCodec::RunGuarded(Step step, const char *outOfMemory, Body &&body)
{
    try {
        body();
        return true;
    } catch (const ZvCodecTooLarge &e) {
        SetLastError(e.what(), ZvErrorKind::TooLarge);
    } catch (const ZvCodecError &e) {
        SetLastError(e.what(),
                     GetEscape() != 0 && GetEscape() != -1 ? ZvErrorKind::Cancelled : ZvErrorKind::BadData);
    } catch (const std::bad_alloc &) {
        SetLastError(outOfMemory, ZvErrorKind::TooLarge);
    }
    if (step == Step::Decode)
        Destroy();
    return false;
}
