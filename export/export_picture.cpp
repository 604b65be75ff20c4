// export/export_picture.cpp
#include "export/export_picture.h"

#include "caption/caption_render.h"
#include "caption/reduced_stamp.h"
#include "export/export_options.h"
#include "export/target_size.h"
#include "imagelib/codecs/jpeg/jpeg_scale.h"
#include "imagelib/core/image.h"
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/io_file.h"
#include "platform/profile_store.h"

#include <cerrno>
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

bool stamp(const PictureWork &work, const Plan &plan, ZvImage &picture, PictureOutcome &out)
{
    if (!work.caption)
        return true;
    picture.SetLastError("");
    const bool ok = plan.denominator > 1 ? stampCaptionReduced(picture, *work.caption, plan.shownWidth,
                                                               plan.shownHeight, plan.denominator)
                                         : StampCaption(picture, *work.caption);
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

PictureOutcome preparePicture(const PictureWork &work, const std::string &path, const std::string &rotation,
                              ZvImage &picture)
{
    PictureOutcome out;
    const int degrees = profileAtoi(rotation);
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
    if (stopped(work, out) || !turn(work, picture, degrees, out))
        return out;
    if (!plan.sized)
        setShownSize(work, picture.GetWidth(), picture.GetHeight(), false, plan);
    if (!stamp(work, plan, picture, out))
        return out;
    if (work.options.ResizeImage)
        out.note = resize(work, plan, picture);
    // A resize stopped half way leaves a picture that is partly empty.
    out.ready = !stopped(work, out);
    return out;
}
