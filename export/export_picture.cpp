// export/export_picture.cpp
#include "export/export_picture.h"

#include "caption/caption_placeholders.h"
#include "caption/caption_render.h"
#include "caption/reduced_stamp.h"
#include "export/export_options.h"
#include "export/output_path.h"
#include "export/photo_info_export.h"
#include "export/target_size.h"
#include "imagelib/codecs/jpeg/jpeg_scale.h"
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/image.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/io_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

bool fail(PictureOutcome &out, const ZvImage &picture, const char *fallback)
{
    const char *text = picture.GetLastError();
    out.problem = *text ? text : fallback;
    out.kind = picture.GetErrorKind() == ZvErrorKind::None ? ZvErrorKind::BadData : picture.GetErrorKind();
    return false;
}

bool stopped(const PictureWork &work, PictureOutcome &out)
{
    if (!work.stop || work.stop->load(std::memory_order_relaxed) == 0)
        return false;
    out.problem = "cancelled";
    out.kind = ZvErrorKind::Cancelled;
    return true;
}

// The one pass over a picture: its size as shown (after the turn), the
// resize target worked out from it once, and the scale it is decoded at.
struct Plan
{
    int orientation = 1; // the camera's orientation with the user's turn on top
    std::int64_t shownWidth = 0;
    std::int64_t shownHeight = 0;
    bool sized = false; // the sizes above are known
    TargetSize target;
    std::string targetProblem; // why the picture cannot be resized to target
    int denominator = 1;       // decoded at 1/denominator of its size
};

// The orientation the picture is turned by: what its file states (when the
// options turn pictures as the camera held them), then the user's turn.
int turnOf(const PictureWork &work, const ZvImage &picture, int degrees)
{
    return zvOrientationWithTurn(work.options.AutoOrient ? picture.GetOrientation() : 1, degrees);
}

void setShownSize(const PictureWork &work, std::int64_t width, std::int64_t height, bool sideways, Plan &plan)
{
    plan.shownWidth = sideways ? height : width;
    plan.shownHeight = sideways ? width : height;
    plan.sized = true;
    if (work.options.ResizeImage) {
        plan.target = ComputeTargetSize(work.options, plan.shownWidth, plan.shownHeight);
        plan.targetProblem = targetSizeProblem(plan.target);
    }
}

// Reads a JPEG's header when the resize may let it decode at a reduced
// scale; other pictures are sized once they are decoded.
void planFromHeader(const PictureWork &work, ZvFile &file, std::uint32_t type, int degrees, Plan &plan)
{
    if (!work.reducedJpegDecode || !work.options.ResizeImage || type != ZV_TYPE_JPG)
        return;
    ZvImage header;
    const bool read = header.DecodeHeader(&file, ZV_TYPE_JPG);
    file.Seek(0, SEEK_FROM_START);
    if (!read || header.GetWidth() == 0 || header.GetHeight() == 0)
        return;
    plan.orientation = turnOf(work, header, degrees);
    setShownSize(work, header.GetWidth(), header.GetHeight(), zvOrientationSwapsSides(plan.orientation),
                 plan);
    if (plan.targetProblem.empty())
        plan.denominator =
            chooseJpegScale(plan.shownWidth, plan.shownHeight, plan.target.width, plan.target.height);
}

bool load(ZvFile &file, std::uint32_t type, Plan &plan, ZvImage &picture, PictureOutcome &out)
{
    picture.SetJpegScale(std::uint8_t(plan.denominator));
    const bool ok = picture.Load(&file, type);
    picture.SetJpegScale(0);
    return ok || fail(out, picture, "cannot read the picture");
}

// Whether the picture, not yet turned, has the size and orientation its
// header promised at the planned scale; a file that changed since its
// header was read does not.
bool decodedAsPlanned(const PictureWork &work, const ZvImage &picture, const Plan &plan, int degrees)
{
    if (turnOf(work, picture, degrees) != plan.orientation)
        return false;
    const bool sideways = zvOrientationSwapsSides(plan.orientation);
    const std::int64_t storedWidth = sideways ? plan.shownHeight : plan.shownWidth;
    const std::int64_t storedHeight = sideways ? plan.shownWidth : plan.shownHeight;
    return picture.GetWidth() == reducedSide(storedWidth, plan.denominator) &&
           picture.GetHeight() == reducedSide(storedHeight, plan.denominator);
}

// Turns the picture by the camera's orientation and the user's turn in one
// step. Whether its pixels now differ from the stored ones in the way the
// file's own tag describes decides what the tag written with them must say.
bool turn(const PictureWork &work, ZvImage &picture, int degrees, PictureOutcome &out)
{
    out.turned =
        zvOrientationWithTurn(1, degrees) != 1 || (work.options.AutoOrient && picture.GetOrientation() > 1);
    const int orientation = turnOf(work, picture, degrees);
    return orientation == 1 || zvTurnUpright(picture, orientation) ||
           fail(out, picture, "cannot turn the picture");
}

bool keepsOwnColours(const PictureWork &work, const std::string &path)
{
    return keepsPictureColours(work.options, path);
}

// The profile a kept record must carry for the pixels as they now are.
void setKeptProfile(ZvImage &picture, std::vector<std::uint8_t> icc)
{
    const ZvPhotoInfo *kept = picture.GetPhotoInfo();
    auto record = kept ? std::make_shared<ZvPhotoInfo>(*kept) : std::make_shared<ZvPhotoInfo>();
    record->icc = std::move(icc);
    picture.SetPhotoInfo(std::move(record));
}

// Converts the picture to sRGB, unless the run keeps each picture's own
// colour space; this happens at the size it was decoded at, before the
// caption, whose colours are sRGB's. A picture whose kept record held a
// profile of the old space gets sRGB's instead.
void settleColours(const PictureWork &work, const std::string &path, ZvImage &picture, PictureOutcome &out)
{
    const ZvColourSpace *colour = picture.GetColourSpace();
    const bool convertedByDecoder =
        colour && colour->kind == ZvColourKind::Srgb && !colour->convertedFrom.empty();
    if (keepsOwnColours(work, path) && !convertedByDecoder) {
        const bool unlabelled = !picture.GetPhotoInfo() || picture.GetPhotoInfo()->icc.empty();
        if (colour && unlabelled && zvColourConvertsFrom(colour) != "")
            setKeptProfile(picture, zvColourIccProfile(*colour));
        return;
    }
    const ZvColourOutcome converted = zvConvertToSrgb(picture);
    out.convertedFrom = converted.from;
    out.colourProblem = converted.note;
    if (converted.Converted() && work.options.KeepPhotoInfo)
        setKeptProfile(picture, zvSrgbIccProfile());
}

// The caption's colours as numbers of the colour space the picture is kept
// in, so that they show as chosen; sRGB pictures take them as they are.
void captionColoursFor(const ZvImage &picture, CaptionSettings &caption)
{
    const ZvColourSpace *colour = picture.GetColourSpace();
    auto convert = [&](COLORREF &c) { c = zvColourFromSrgb(colour, c); };
    convert(caption.textColor);
    if (caption.backColor != kNoBackColor)
        convert(caption.backColor);
    convert(caption.style.effectColor);
}

bool hasFields(const PictureWork &work)
{
    return work.caption && hasPlaceholders(work.caption->text);
}

// How the summary words a field the picture had no value for.
std::string lackText(const QString &name)
{
    QString label = placeholderLabel(name);
    // "Camera make" reads "no camera make"; "GPS position" keeps its capitals.
    if (label.size() > 1 && label[1].isLower())
        label[0] = label[0].toLower();
    return "no " + label.toStdString();
}

// The caption's text for this picture. Its EXIF block was kept by the decode
// only for this; a run that does not keep photo information drops it again.
QString filledText(const PictureWork &work, const Plan &plan, const std::string &path, ZvImage &picture,
                   PictureOutcome &out)
{
    const QString file = QString::fromStdString(path);
    PictureFacts facts = PictureFactsFrom(file, picture.GetPhotoInfo());
    if (!work.options.KeepPhotoInfo) {
        picture.SetPhotoInfo(nullptr);
        picture.SetKeepPhotoInfo(false);
    }
    facts.counter = work.counter;
    const bool resized = work.options.ResizeImage && plan.targetProblem.empty();
    facts.width = int(std::min<std::int64_t>(resized ? plan.target.width : plan.shownWidth, INT32_MAX));
    facts.height = int(std::min<std::int64_t>(resized ? plan.target.height : plan.shownHeight, INT32_MAX));
    QStringList missing;
    QString text = ExpandPlaceholders(work.caption->text, facts, &missing);
    for (const QString &name : missing)
        out.lacking.push_back(lackText(name));
    if (facts.takenFromFileTime && work.caption->text.contains(QLatin1String("%{date")))
        out.lacking.push_back("no date taken, the file's time shown");
    return text;
}

bool stamp(const PictureWork &work, const Plan &plan, const std::string &path, ZvImage &picture,
           PictureOutcome &out)
{
    if (!work.caption)
        return true;
    const CaptionSettings *caption = work.caption;
    CaptionSettings filled;
    const bool ownColours =
        keepsOwnColours(work, path) && zvColourConvertsFrom(picture.GetColourSpace()) != "";
    if (hasFields(work) || ownColours) {
        filled = *work.caption;
        caption = &filled;
    }
    if (hasFields(work))
        filled.text = filledText(work, plan, path, picture, out);
    if (ownColours)
        captionColoursFor(picture, filled);
    picture.SetLastError("");
    const bool ok = plan.denominator > 1 ? stampCaptionReduced(picture, *caption, plan.shownWidth,
                                                               plan.shownHeight, plan.denominator)
                                         : StampCaption(picture, *caption);
    return ok || fail(out, picture, "cannot draw the caption");
}

// A failed resize is not fatal: the picture is saved as it is.
std::string resize(const PictureWork &work, const Plan &plan, ZvImage &picture)
{
    std::string problem = plan.targetProblem;
    picture.SetLastError("");
    if (problem.empty() && !picture.Resample(std::int32_t(plan.target.width),
                                             std::int32_t(plan.target.height), work.options.ResampleMode())) {
        const char *text = picture.GetLastError();
        problem = *text ? text : "cannot resize the picture";
    }
    if (problem.empty())
        return {};
    return "saved at " + std::to_string(picture.GetWidth()) + " x " + std::to_string(picture.GetHeight()) +
           ", not resized: " + problem;
}

} // namespace

bool keepsPictureColours(const ExportOptions &options, const std::string &path)
{
    return options.KeepPhotoInfo && options.KeepColourSpace &&
           outputCarriesProfile(outputFormatFor(options.Format, path, path).type);
}

PictureOutcome preparePicture(const PictureWork &work, const std::string &path, int degrees, ZvImage &picture)
{
    PictureOutcome out;
    const std::uint32_t type = ImageTypeFromName(path);
    ZvIOFile file;
    errno = 0;
    if (!file.Open(path.c_str(), "rb")) {
        const int error = errno ? errno : EIO;
        out.problem = std::strerror(error);
        out.kind = error == ENOENT || error == ENOTDIR ? ZvErrorKind::NotFound : ZvErrorKind::Io;
        return out;
    }
    Plan plan;
    picture.SetStopFlag(work.stop);
    // The caption's fields read the camera's record from the decode itself
    // rather than opening the file a second time.
    if (hasFields(work))
        picture.SetKeepPhotoInfo(true);
    planFromHeader(work, file, type, degrees, plan);
    if (!load(file, type, plan, picture, out))
        return out;
    if (plan.denominator > 1 && !decodedAsPlanned(work, picture, plan, degrees)) {
        plan = Plan();
        file.Seek(0, SEEK_FROM_START);
        if (!load(file, type, plan, picture, out))
            return out;
    }
    out.damage = picture.GetDamage();
    settleColours(work, path, picture, out);
    if (stopped(work, out) || !turn(work, picture, degrees, out))
        return out;
    if (!plan.sized)
        setShownSize(work, picture.GetWidth(), picture.GetHeight(), false, plan);
    if (!stamp(work, plan, path, picture, out))
        return out;
    if (work.options.ResizeImage)
        out.note = resize(work, plan, picture);
    // A resize stopped half way leaves a picture that is partly empty.
    out.ready = !stopped(work, out);
    return out;
}
