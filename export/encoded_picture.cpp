// export/encoded_picture.cpp
#include "export/encoded_picture.h"

#include "export/export_options.h"
#include "export/format_ready.h"
#include "export/photo_info_export.h"
#include "imagelib/streams/mem_file.h"

#include <algorithm>

namespace {

void applyFormatSettings(const ExportOptions &options, ZvImage &picture, const OutputFormat &format)
{
    if (options.Format == kFormatJpeg) {
        picture.SetJpegQuality(std::uint8_t(std::clamp(options.JpegQuality, 0, 100)));
        picture.SetXDPI(options.XResolution);
        picture.SetYDPI(options.YResolution);
    }
    // A codec option means something else to every codec: a TIFF's
    // compression scheme would pick a GIF coder or JPEG option bits.
    if (picture.GetType() != format.type)
        picture.SetCodecOption(0);
    options.Codec.ApplyTo(picture, format.type);
}

bool refuse(EncodedPicture &out, EncodedPicture::Stage stage, std::string problem, ZvErrorKind kind)
{
    out.stage = stage;
    out.problem = std::move(problem);
    out.kind = kind;
    return false;
}

bool encode(ZvImage &picture, const OutputFormat &format, EncodedPicture &out)
{
    ZvMemFile file;
    file.Open();
    picture.SetLastError("");
    if (!picture.Encode(&file, format.type)) {
        const char *reason = picture.GetLastError();
        const ZvErrorKind kind =
            picture.GetErrorKind() == ZvErrorKind::None ? ZvErrorKind::Io : picture.GetErrorKind();
        return refuse(out, EncodedPicture::Stage::EncodeFailed,
                      *reason ? reason : "cannot encode the picture", kind);
    }
    const std::uint8_t *bytes = file.GetBuffer(false);
    out.file.assign(bytes, bytes + file.Size());
    out.stage = EncodedPicture::Stage::Encoded;
    return true;
}

} // namespace

EncodedPicture encodePicture(const PictureWork &work, const std::string &path, int rotation,
                             const OutputFormat &format)
{
    EncodedPicture out;
    ZvImage picture;
    picture.SetKeepPhotoInfo(work.options.KeepPhotoInfo);
    const PictureOutcome outcome = preparePicture(work, path, rotation, picture);
    if (!outcome.ready) {
        refuse(out, EncodedPicture::Stage::Refused, outcome.problem, outcome.kind);
        return out;
    }
    out.note = outcome.note;
    out.damage = outcome.damage;
    out.lacking = outcome.lacking;
    out.counter = work.counter;
    out.width = picture.GetWidth();
    out.height = picture.GetHeight();
    applyFormatSettings(work.options, picture, format);
    if (!makeReadyFor(picture, format.type)) {
        refuse(out, EncodedPicture::Stage::Refused, picture.GetLastError(), picture.GetErrorKind());
        return out;
    }
    out.convertedFrom = outcome.convertedFrom;
    out.infoNotes = fitPhotoInfo(picture, format.type, outcome.turned);
    if (!outcome.colourProblem.empty())
        out.infoNotes.push_back(outcome.colourProblem);
    if (encode(picture, format, out) && work.stop && work.stop->load(std::memory_order_relaxed) != 0)
        refuse(out, EncodedPicture::Stage::Refused, "cancelled", ZvErrorKind::Cancelled);
    return out;
}
