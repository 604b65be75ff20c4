// imagelib/codecs/jpeg2000/jas_opj_session.h
#pragma once

#include <openjpeg.h>

#include <cstdint>
#include <string>

class ZvFile;

// The OpenJPEG objects of one decode or encode: a stream over a ZvFile
// (offsets count from the file's position at construction), the codec and
// the image, all released together. The library's messages never reach
// stderr: its first error is kept for the codec's last error.
class ZvOpjSession
{
  public:
    ZvOpjSession(ZvFile *file, bool input);
    ~ZvOpjSession();
    ZvOpjSession(const ZvOpjSession &) = delete;
    ZvOpjSession &operator=(const ZvOpjSession &) = delete;

    // Makes the codec and routes its messages here.
    void CreateCodec(opj_codec_t *codec);
    // Throws `what`, followed by the library's first error when it gave one.
    [[noreturn]] void Fail(const char *what) const;

    opj_stream_t *Stream() const { return mStream; }
    opj_codec_t *Codec() const { return mCodec; }
    opj_image_t *mImage = nullptr;

  private:
    struct Position
    {
        ZvFile *file;
        std::int64_t start;
    };

    static OPJ_SIZE_T ReadFn(void *buffer, OPJ_SIZE_T size, void *data);
    static OPJ_SIZE_T WriteFn(void *buffer, OPJ_SIZE_T size, void *data);
    static OPJ_OFF_T SkipFn(OPJ_OFF_T size, void *data);
    static OPJ_BOOL SeekFn(OPJ_OFF_T offset, void *data);
    static void ErrorFn(const char *msg, void *data);
    static void QuietFn(const char *msg, void *data);

    Position mPosition;
    opj_stream_t *mStream = nullptr;
    opj_codec_t *mCodec = nullptr;
    std::string mError;
};
