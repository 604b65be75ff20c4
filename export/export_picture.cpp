// export/export_picture.cpp
#include "export/export_picture.h"

#include "caption/caption_render.h"
#include "export/export_options.h"
#include "export/reduced_decode.h"
#include "export/target_size.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/io_file.h"
#include "platform/profile_store.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

std::string lastError(const ZvImage &picture, const char *fallback)
{
    const char *text = picture.GetLastError();
    return *text ? std::string(text) : std::string(fallback);
}

bool turnsSideways(int degrees)
{
    return degrees == 90 || degrees == -90;
}

// How a picture is decoded: at full size, or at 1/denominator of the
// width x height its header gives when the resize shrinks it that much.
struct Plan
{
    std::int64_t width = 0;   // as stored, before the turn
    std::int64_t height = 0;
    int denominator = 1;
};

Plan planDecode(const PictureWork &work, const std::string &path, int degrees)
{
    Plan plan;
    if (!work.reducedJpegDecode || !work.options.ResizeImage || ImageTypeFromName(path) != ZV_TYPE_JPG)
        return plan;
    // Only the JPEG decoder is asked: a file that is something else decodes in full.
    ZvIOFile file;
    ZvImage header;
    header.SetEscape(-1);
    if (!file.Open(path.c_str(), "rb") || !header.Decode(&file, ZV_TYPE_JPG) || header.GetWidth() == 0 ||
        header.GetHeight() == 0)
        return plan;
    plan.width = header.GetWidth();
    plan.height = header.GetHeight();
    const bool sideways = turnsSideways(degrees);
    const std::int64_t shownW = sideways ? plan.height : plan.width;
    const std::int64_t shownH = sideways ? plan.width : plan.height;
    const TargetSize target = ComputeTargetSize(work.options, shownW, shownH);
    if (targetSizeProblem(target).empty())
        plan.denominator = chooseJpegScale(shownW, shownH, target.width, target.height);
    return plan;
}

bool loadAt(const std::string &path, int denominator, ZvImage &picture, std::string &problem)
{
    picture.SetJpegScale(std::uint8_t(denominator));
    const bool ok = picture.Load(path.c_str(), ImageTypeFromName(path));
    picture.SetJpegScale(0);
    if (!ok)
        problem = lastError(picture, "cannot read the picture");
    return ok;
}

bool load(const std::string &path, Plan &plan, ZvImage &picture, std::string &problem)
{
    std::FILE *probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        problem = std::strerror(errno);
        return false;
    }
    std::fclose(probe);
    if (!loadAt(path, plan.denominator, picture, problem))
        return false;
    if (plan.denominator == 1)
        return true;
    // A file that changed since its header was read is taken as it now is.
    if (picture.GetWidth() == reducedSide(plan.width, plan.denominator) &&
        picture.GetHeight() == reducedSide(plan.height, plan.denominator))
        return true;
    plan.denominator = 1;
    return loadAt(path, 1, picture, problem);
}

bool turn(ZvImage &picture, int degrees, std::string &problem)
{
    bool ok = true;
    if (degrees == -90)
        ok = picture.RotateLeft();
    else if (degrees == 90)
        ok = picture.RotateRight();
    else if (degrees == 180)
        ok = picture.Rotate180();
    if (!ok)
        problem = lastError(picture, "cannot turn the picture");
    return ok;
}

bool stamp(const PictureWork &work, const Plan &plan, int degrees, ZvImage &picture, std::string &problem)
{
    if (!work.caption)
        return true;
    picture.SetLastError("");
    bool ok;
    if (plan.denominator > 1) {
        const bool sideways = turnsSideways(degrees);
        ok = stampCaptionReduced(picture, *work.caption, sideways ? plan.height : plan.width,
                                 sideways ? plan.width : plan.height, plan.denominator);
    } else {
        ok = StampCaption(picture, *work.caption);
    }
    if (!ok)
        problem = lastError(picture, "cannot draw the caption");
    return ok;
}

// A failed resize is not fatal: the picture is saved as it is.
std::string resize(const PictureWork &work, const Plan &plan, int degrees, ZvImage &picture)
{
    std::int64_t w = picture.GetWidth(), h = picture.GetHeight();
    if (plan.denominator > 1) {
        w = turnsSideways(degrees) ? plan.height : plan.width;
        h = turnsSideways(degrees) ? plan.width : plan.height;
    }
    const TargetSize target = ComputeTargetSize(work.options, w, h);
    std::string problem = targetSizeProblem(target);
    picture.SetLastError("");
    if (problem.empty() &&
        !picture.Resample(std::int32_t(target.width), std::int32_t(target.height), work.options.ResampleMode()))
        problem = lastError(picture, "cannot resize the picture");
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
    Plan plan = planDecode(work, path, degrees);
    if (!load(path, plan, picture, out.problem) || !turn(picture, degrees, out.problem) ||
        !stamp(work, plan, degrees, picture, out.problem))
        return out;
    if (work.options.ResizeImage)
        out.note = resize(work, plan, degrees, picture);
    out.ready = true;
    return out;
}
