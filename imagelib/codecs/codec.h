// imagelib/codecs/codec.h
#pragma once

#include "imagelib/core/codec_error.h"
#include "imagelib/core/image.h"

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

  protected:
    // The check every encoder makes first: a stream and pixels to write.
    bool EncodeSafeCheck(ZvFile *stream);

    // Runs a decode or encode whose failures are thrown as ZvCodecError,
    // turning them, and an exhausted allocation, into false with the message
    // in the last error (kind BadData, Cancelled when the escape flag stopped
    // it, TooLarge for memory). A failed decode leaves no half-built picture.
    enum class Step { Decode, Encode };
    template <class Body> bool RunGuarded(Step step, const char *outOfMemory, Body &&body);
};

template <class Body> bool ZvCodec::RunGuarded(Step step, const char *outOfMemory, Body &&body)
{
    try {
        body();
        return true;
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
