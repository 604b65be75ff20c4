// export/target_size.cpp
#include "export/target_size.h"

#include "export/export_options.h"
#include "imagelib/core/image.h"
#include "platform/profile_store.h"

namespace {

struct Request
{
    std::int64_t w; // the entries as numbers
    std::int64_t h;
    bool percent;
};

// The governing entry n applied to both sides, keeping the aspect ratio.
// governed/governing are the picture's sides across and along the entry.
TargetSize keepAspect(const Request &r, std::int64_t n, bool heightGoverns, bool stretch, std::int64_t iw,
                      std::int64_t ih)
{
    const std::int64_t along = heightGoverns ? ih : iw;
    if (!stretch && !(r.percent ? n < 100 : n < along))
        return {iw, ih};
    if (r.percent)
        return {iw * n / 100, ih * n / 100};
    if (heightGoverns)
        return {n * iw / ih, r.h};
    return {r.w, n * ih / iw};
}

std::int64_t oneSide(std::int64_t entry, std::int64_t side, bool percent, bool stretch)
{
    const std::int64_t wanted = percent ? side * entry / 100 : entry;
    if (!stretch && !(percent ? entry < 100 : entry < side))
        return side;
    return wanted;
}

} // namespace

TargetSize ComputeTargetSize(const ExportOptions &o, std::int64_t iw, std::int64_t ih)
{
    const Request r{profileAtoi(o.ResizeWidth), profileAtoi(o.ResizeHeight), o.Unit == 1};
    // A picture without pixels has no ratio to keep; its resample fails anyway.
    if (iw <= 0 || ih <= 0)
        return {r.w, r.h};
    if (o.AspectRatio && o.RestrictWidth)
        return keepAspect(r, r.h, true, o.AllowStretch, iw, ih);
    if (o.AspectRatio && o.RestrictHeight)
        return keepAspect(r, r.w, false, o.AllowStretch, iw, ih);
    return {oneSide(r.w, iw, r.percent, o.AllowStretch), oneSide(r.h, ih, r.percent, o.AllowStretch)};
}

std::string targetSizeProblem(const TargetSize &size)
{
    const std::string text = std::to_string(size.width) + " x " + std::to_string(size.height);
    if (size.width <= 0 || size.height <= 0)
        return "cannot resize to " + text;
    // The limit of ZvImage::Create for a 24-bit picture, without the 128-bit product.
    const std::int64_t limit = std::int64_t(kZvMaxImageArea) * 256 / 24;
    if (size.width > INT32_MAX || size.height > INT32_MAX || size.width > limit / size.height)
        return "resize to " + text + " exceeds the memory limit";
    return {};
}
