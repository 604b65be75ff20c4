// imagelib/colour/cmyk_to_srgb.cpp
#include "imagelib/colour/cmyk_to_srgb.h"

#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <mutex>
#include <new>
#include <vector>

namespace {

// A CMYK transform holds a four-dimensional table of about 2 MB; a run sees
// one or two print profiles, so a few are plenty.
constexpr std::size_t kKeptTransforms = 4;
// Larger than any print profile seen in practice (those with big tables
// reach a few MB); beyond it the bytes are not worth trying.
constexpr std::size_t kMaxProfileBytes = std::size_t(64) << 20;

struct Kept
{
    std::vector<std::uint8_t> icc;
    bool inverted;
    std::shared_ptr<const ZvCmykToSrgb> conversion;
};

std::mutex sKeptMutex;
std::list<Kept> sKept; // most recently used first

std::shared_ptr<const ZvCmykToSrgb> findKept(const std::uint8_t *icc, std::size_t size, bool inverted)
{
    for (auto it = sKept.begin(); it != sKept.end(); ++it) {
        if (it->inverted == inverted && it->icc.size() == size &&
            std::memcmp(it->icc.data(), icc, size) == 0) {
            sKept.splice(sKept.begin(), sKept, it);
            return it->conversion;
        }
    }
    return nullptr;
}

void keep(const std::uint8_t *icc, std::size_t size, bool inverted,
          const std::shared_ptr<const ZvCmykToSrgb> &conversion)
{
    sKept.push_front(Kept{std::vector<std::uint8_t>(icc, icc + size), inverted, conversion});
    if (sKept.size() > kKeptTransforms)
        sKept.pop_back();
}

void say(std::string *note, const char *text)
{
    if (note)
        *note = text;
}

// The profile when it is a CMYK one LittleCMS takes; null with the reason said.
cmsHPROFILE openCmyk(const std::uint8_t *icc, std::size_t size, std::string *note)
{
    if (!icc || size == 0 || size > kMaxProfileBytes) {
        say(note, "CMYK colour profile ignored: it is damaged");
        return nullptr;
    }
    cmsHPROFILE cmyk = cmsOpenProfileFromMem(icc, cmsUInt32Number(size));
    if (!cmyk) {
        say(note, "CMYK colour profile ignored: it is damaged");
        return nullptr;
    }
    if (cmsGetColorSpace(cmyk) != cmsSigCmykData) {
        cmsCloseProfile(cmyk);
        say(note, "colour profile ignored: it is not a CMYK profile");
        return nullptr;
    }
    return cmyk;
}

std::string descriptionOf(cmsHPROFILE profile)
{
    char text[256] = {};
    if (cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text) > 1 && text[0])
        return text;
    return "CMYK profile";
}

// The transform, or null with the reason said; name is the profile's.
cmsHTRANSFORM makeTransform(const std::uint8_t *icc, std::size_t size, bool inverted, std::string &name,
                            std::string *note)
{
    cmsHPROFILE cmyk = openCmyk(icc, size, note);
    if (!cmyk)
        return nullptr;
    name = descriptionOf(cmyk);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform = nullptr;
    if (srgb)
        transform = cmsCreateTransform(cmyk, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, srgb, TYPE_BGR_8,
                                       INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    if (srgb)
        cmsCloseProfile(srgb);
    cmsCloseProfile(cmyk);
    if (!transform)
        say(note, "CMYK colour profile ignored: it cannot be used");
    return transform;
}

} // namespace

std::shared_ptr<const ZvCmykToSrgb> ZvCmykToSrgb::Make(const std::uint8_t *icc, std::size_t size,
                                                       bool inverted, std::string *note)
{
    if (!icc || size == 0 || size > kMaxProfileBytes) {
        say(note, "CMYK colour profile ignored: it is damaged");
        return nullptr;
    }
    try {
        std::string name;
        {
            const std::lock_guard<std::mutex> lock(sKeptMutex);
            if (auto kept = findKept(icc, size, inverted))
                return kept;
        }
        // Made outside the lock: a large profile takes tens of milliseconds,
        // and two threads that race on the same one only make it twice.
        cmsHTRANSFORM transform = makeTransform(icc, size, inverted, name, note);
        if (!transform)
            return nullptr;
        std::shared_ptr<const ZvCmykToSrgb> conversion;
        try {
            conversion = std::make_shared<const ZvCmykToSrgb>(transform, std::move(name));
        } catch (...) {
            cmsDeleteTransform(transform);
            throw;
        }
        const std::lock_guard<std::mutex> lock(sKeptMutex);
        keep(icc, size, inverted, conversion);
        return conversion;
    } catch (const std::bad_alloc &) {
        say(note, "CMYK colour profile ignored: not enough memory");
        return nullptr;
    }
}

ZvCmykToSrgb::ZvCmykToSrgb(void *transform, std::string name)
    : mTransform(transform)
    , mName(std::move(name))
{
}

ZvCmykToSrgb::~ZvCmykToSrgb()
{
    cmsDeleteTransform(static_cast<cmsHTRANSFORM>(mTransform));
}

void ZvCmykToSrgb::Convert(const std::uint8_t *cmyk, std::uint8_t *bgr, std::uint32_t width) const
{
    cmsDoTransform(static_cast<cmsHTRANSFORM>(mTransform), cmyk, bgr, width);
}
