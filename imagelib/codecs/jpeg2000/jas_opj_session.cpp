// imagelib/codecs/jpeg2000/jas_opj_session.cpp
#include "imagelib/codecs/jpeg2000/jas_opj_session.h"

#include "imagelib/codecs/codec.h"
#include "imagelib/streams/file.h"

ZvOpjSession::ZvOpjSession(ZvFile *file, bool input)
    : mPosition{file, file->Tell()}
{
    if (mPosition.start < 0)
        mPosition.start = 0;
    mStream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE);
    if (!mStream)
        throw ZvCodecError("error: cannot allocate memory");
    opj_stream_set_user_data(mStream, &mPosition, nullptr);
    if (input) {
        opj_stream_set_read_function(mStream, ReadFn);
        const std::int64_t size = file->Size();
        if (size > mPosition.start)
            opj_stream_set_user_data_length(mStream, OPJ_UINT64(size - mPosition.start));
    } else {
        opj_stream_set_write_function(mStream, WriteFn);
    }
    opj_stream_set_skip_function(mStream, SkipFn);
    opj_stream_set_seek_function(mStream, SeekFn);
}

ZvOpjSession::~ZvOpjSession()
{
    if (mImage)
        opj_image_destroy(mImage);
    if (mCodec)
        opj_destroy_codec(mCodec);
    if (mStream)
        opj_stream_destroy(mStream);
}

void ZvOpjSession::CreateCodec(opj_codec_t *codec)
{
    if (!codec)
        throw ZvCodecError("error: cannot allocate memory");
    mCodec = codec;
    opj_set_error_handler(mCodec, ErrorFn, this);
    opj_set_warning_handler(mCodec, QuietFn, this);
    opj_set_info_handler(mCodec, QuietFn, this);
}

void ZvOpjSession::Fail(const char *what) const
{
    if (mError.empty())
        throw ZvCodecError(what);
    throw ZvCodecError(std::string(what) + ": " + mError);
}

OPJ_SIZE_T ZvOpjSession::ReadFn(void *buffer, OPJ_SIZE_T size, void *data)
{
    const std::size_t got = static_cast<Position *>(data)->file->Read(buffer, 1, size);
    return got > 0 ? got : OPJ_SIZE_T(-1);
}

OPJ_SIZE_T ZvOpjSession::WriteFn(void *buffer, OPJ_SIZE_T size, void *data)
{
    const std::size_t put = static_cast<Position *>(data)->file->Write(buffer, 1, size);
    return put == size ? put : OPJ_SIZE_T(-1);
}

OPJ_OFF_T ZvOpjSession::SkipFn(OPJ_OFF_T size, void *data)
{
    return static_cast<Position *>(data)->file->Seek(size, SEEK_FROM_CURRENT) ? size : OPJ_OFF_T(-1);
}

OPJ_BOOL ZvOpjSession::SeekFn(OPJ_OFF_T offset, void *data)
{
    const auto *pos = static_cast<Position *>(data);
    return pos->file->Seek(pos->start + offset, SEEK_FROM_START) ? OPJ_TRUE : OPJ_FALSE;
}

void ZvOpjSession::ErrorFn(const char *msg, void *data)
{
    auto *self = static_cast<ZvOpjSession *>(data);
    if (!self->mError.empty() || !msg)
        return;
    self->mError = msg;
    while (!self->mError.empty() && (self->mError.back() == '\n' || self->mError.back() == ' '))
        self->mError.pop_back();
}

void ZvOpjSession::QuietFn(const char *, void *) {}
