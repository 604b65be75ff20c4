// imagelib/colour/srgb_converter.cpp
#include "imagelib/colour/srgb_converter.h"

#include "imagelib/colour/colour_profile.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// IEC 61966-2-1: linear light (0..1) to the stored value (0..1).
double srgbEncode(double linear)
{
    if (linear <= 0.0031308)
        return 12.92 * linear;
    return 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

std::uint8_t level(double value)
{
    if (!(value > 0)) // NaN too
        return 0;
    return std::uint8_t(std::lround(std::min(value, 1.0) * 255));
}

using Matrix = std::array<double, 9>;

// The columns of an RGB profile's primaries in D50 XYZ; false when absent.
bool colorants(void *profile, Matrix &m)
{
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto *xyz = static_cast<const cmsCIEXYZ *>(cmsReadTag(profile, tags[c]));
        if (!xyz)
            return false;
        m[c] = xyz->X;
        m[3 + c] = xyz->Y;
        m[6 + c] = xyz->Z;
    }
    return true;
}

bool invert(const Matrix &m, Matrix &out)
{
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                       m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (!std::isfinite(det) || std::fabs(det) < 1e-9)
        return false;
    const double k = 1 / det;
    out = {(m[4] * m[8] - m[5] * m[7]) * k, (m[2] * m[7] - m[1] * m[8]) * k, (m[1] * m[5] - m[2] * m[4]) * k,
           (m[5] * m[6] - m[3] * m[8]) * k, (m[0] * m[8] - m[2] * m[6]) * k, (m[2] * m[3] - m[0] * m[5]) * k,
           (m[3] * m[7] - m[4] * m[6]) * k, (m[1] * m[6] - m[0] * m[7]) * k, (m[0] * m[4] - m[1] * m[3]) * k};
    return true;
}

Matrix multiply(const Matrix &a, const Matrix &b)
{
    Matrix out{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r * 3 + c] = a[r * 3] * b[c] + a[r * 3 + 1] * b[3 + c] + a[r * 3 + 2] * b[6 + c];
    return out;
}

// A four-character field of an ICC profile's header (its colour space at
// 16, its class at 12), spaces trimmed. Read from the bytes rather than
// through LittleCMS, whose enumerations a hostile header fills with values
// they do not name. Profiles made from numbers are RGB display profiles.
std::string headerField(const ZvColourSpace &colour, std::size_t offset, const char *made)
{
    if (colour.kind != ZvColourKind::Icc)
        return made;
    if (colour.icc.size() < offset + 4)
        return {};
    std::string field(reinterpret_cast<const char *>(colour.icc.data() + offset), 4);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\0'))
        field.pop_back();
    return field;
}

void closeTransform(void *&transform)
{
    if (transform)
        cmsDeleteTransform(transform);
    transform = nullptr;
}

} // namespace

std::shared_ptr<const ZvSrgbConverter> ZvSrgbConverter::make(const ZvColourSpace &colour)
{
    std::shared_ptr<ZvSrgbConverter> converter(new ZvSrgbConverter);
    converter->build(colour);
    return converter;
}

ZvSrgbConverter::~ZvSrgbConverter()
{
    closeTransform(mTransform);
    closeTransform(mInverse);
}

void ZvSrgbConverter::build(const ZvColourSpace &colour)
{
    std::string problem;
    ZvProfileHandle source = zvOpenProfile(colour, problem);
    mName = colour.name.empty() && source ? zvProfileDescription(source.get()) : colour.name;
    if (mName.empty())
        mName = colour.kind == ZvColourKind::Icc ? "ICC profile" : "stated colour space";
    if (!source) {
        mProblem = problem;
        return;
    }
    const std::string space = headerField(colour, 16, "RGB");
    mGreySpace = space == "GRAY";
    if (!mGreySpace && space != "RGB") {
        mProblem =
            "the colour profile is made for " + (space.empty() ? std::string("other") : space) + " pictures";
        return;
    }
    if (headerField(colour, 12, "mntr") == "link") {
        mProblem = "the colour profile links two devices";
        return;
    }
    ZvProfileHandle srgb = zvOpenSrgbProfile();
    const cmsUInt32Number format = mGreySpace ? TYPE_GRAY_8 : TYPE_RGB_8;
    mInverse = cmsCreateTransform(srgb.get(), TYPE_RGB_8, source.get(), format, INTENT_RELATIVE_COLORIMETRIC,
                                  cmsFLAGS_NOCACHE);
    if (cmsIsMatrixShaper(source.get()) && buildTables(source.get(), srgb.get())) {
        mPath = mGreySpace ? Path::Grey : Path::Matrix;
        if (nearlyIdentity())
            mPath = Path::Identity;
        return;
    }
    mTransform =
        cmsCreateTransform(source.get(), mGreySpace ? TYPE_GRAY_8 : TYPE_BGR_8, srgb.get(),
                           mGreySpace ? TYPE_RGB_8 : TYPE_BGR_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    if (!mTransform) {
        mProblem = "the colour profile is damaged: it gives no conversion to sRGB";
        return;
    }
    if (mGreySpace) {
        std::uint8_t grey[256], rgb[256 * 3];
        for (int v = 0; v < 256; ++v)
            grey[v] = std::uint8_t(v);
        cmsDoTransform(mTransform, grey, rgb, 256);
        for (int v = 0; v < 256; ++v)
            mGrey[v] = rgb[v * 3 + 1];
        closeTransform(mTransform);
        mPath = Path::Grey;
        return;
    }
    mPath = Path::Lcms;
}

bool ZvSrgbConverter::buildTables(void *source, void *srgb)
{
    if (mGreySpace) {
        const auto *curve = static_cast<const cmsToneCurve *>(cmsReadTag(source, cmsSigGrayTRCTag));
        if (!curve)
            return false;
        for (int v = 0; v < 256; ++v) {
            const double linear = cmsEvalToneCurveFloat(curve, float(v) / 255);
            if (!std::isfinite(linear))
                return false;
            mGrey[v] = level(srgbEncode(linear));
        }
        return true;
    }
    Matrix from{}, to{}, toInverse{};
    if (!colorants(source, from) || !colorants(srgb, to) || !invert(to, toInverse))
        return false;
    const cmsTagSignature tags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
        const auto *curve = static_cast<const cmsToneCurve *>(cmsReadTag(source, tags[c]));
        if (!curve)
            return false;
        for (int v = 0; v < 256; ++v) {
            mLinear[c][v] = cmsEvalToneCurveFloat(curve, float(v) / 255);
            if (!std::isfinite(mLinear[c][v]))
                return false;
        }
    }
    const Matrix m = multiply(toInverse, from);
    for (int i = 0; i < 9; ++i) {
        if (!std::isfinite(m[i]))
            return false;
        mMatrix[i] = float(m[i]);
    }
    for (int i = 0; i <= kEncodeSize; ++i)
        mEncode[i] = level(srgbEncode(double(i) / kEncodeSize));
    return true;
}

// How far from the stored numbers a profile may take every grey and every
// pure primary ramp and still be taken as sRGB's: the sRGB profiles other
// makers write differ from LittleCMS's in the last digits of their
// primaries, which moves a pure green's red by a level or two (1.4 for one
// seen in the wild); a space that is not sRGB moves them by tens of levels.
constexpr double kIdentityLevels = 2.0;

// Whether every grey and every pure primary ramp comes out within
// kIdentityLevels of where it went in: an sRGB profile written by another maker.
bool ZvSrgbConverter::nearlyIdentity() const
{
    if (mGreySpace) {
        for (int v = 0; v < 256; ++v)
            if (mGrey[v] != v)
                return false;
        return true;
    }
    for (int v = 0; v < 256; ++v) {
        const int tests[4][3] = {{v, v, v}, {v, 0, 0}, {0, v, 0}, {0, 0, v}};
        for (const auto &rgb : tests) {
            const float linear[3] = {mLinear[0][rgb[0]], mLinear[1][rgb[1]], mLinear[2][rgb[2]]};
            for (int c = 0; c < 3; ++c) {
                const double out = mMatrix[c * 3] * linear[0] + mMatrix[c * 3 + 1] * linear[1] +
                                   mMatrix[c * 3 + 2] * linear[2];
                if (std::fabs(srgbEncode(std::clamp(out, 0.0, 1.0)) * 255 - rgb[c]) > kIdentityLevels)
                    return false;
            }
        }
    }
    return true;
}

void ZvSrgbConverter::toSrgb(std::uint8_t *pixels, std::size_t count, int step) const
{
    switch (mPath) {
    case Path::Matrix: matrixPixels(pixels, count, step); break;
    case Path::Grey: greyPixels(pixels, count, step); break;
    case Path::Lcms: lcmsPixels(pixels, count, step); break;
    case Path::Identity:
    case Path::Refused: break;
    }
}

void ZvSrgbConverter::matrixPixels(std::uint8_t *pixels, std::size_t count, int step) const
{
    const float *m = mMatrix.data();
    const float *lr = mLinear[0].data();
    const float *lg = mLinear[1].data();
    const float *lb = mLinear[2].data();
    const std::uint8_t *encode = mEncode.data();
    auto index = [](float v) {
        v = v > 0.f ? (v < 1.f ? v : 1.f) : 0.f; // NaN to 0 too
        return int(v * float(kEncodeSize) + 0.5f);
    };
    for (std::size_t i = 0; i < count; ++i, pixels += step) {
        const float r = lr[pixels[2]], g = lg[pixels[1]], b = lb[pixels[0]];
        const int outR = index(m[0] * r + m[1] * g + m[2] * b);
        const int outG = index(m[3] * r + m[4] * g + m[5] * b);
        const int outB = index(m[6] * r + m[7] * g + m[8] * b);
        pixels[0] = encode[outB];
        pixels[1] = encode[outG];
        pixels[2] = encode[outR];
    }
}

// A grey space's picture: each channel through the one table, so grey
// pixels (all that such a picture should hold) stay grey.
void ZvSrgbConverter::greyPixels(std::uint8_t *pixels, std::size_t count, int step) const
{
    for (std::size_t i = 0; i < count; ++i, pixels += step) {
        pixels[0] = mGrey[pixels[0]];
        pixels[1] = mGrey[pixels[1]];
        pixels[2] = mGrey[pixels[2]];
    }
}

void ZvSrgbConverter::lcmsPixels(std::uint8_t *pixels, std::size_t count, int step) const
{
    if (step == 3) {
        cmsDoTransform(mTransform, pixels, pixels, cmsUInt32Number(count));
        return;
    }
    std::vector<std::uint8_t> packed(count * 3);
    for (std::size_t i = 0; i < count; ++i)
        std::copy_n(pixels + i * step, 3, packed.data() + i * 3);
    cmsDoTransform(mTransform, packed.data(), packed.data(), cmsUInt32Number(count));
    for (std::size_t i = 0; i < count; ++i)
        std::copy_n(packed.data() + i * 3, 3, pixels + i * step);
}

COLORREF ZvSrgbConverter::fromSrgb(COLORREF srgb) const
{
    if (mPath == Path::Identity || mPath == Path::Refused || !mInverse)
        return srgb;
    const std::uint8_t in[3] = {GetRValue(srgb), GetGValue(srgb), GetBValue(srgb)};
    std::uint8_t out[3] = {};
    if (mGreySpace) {
        // Grey pictures take the caption's colour channel by channel, as
        // the grey table treats them, so a coloured caption keeps its hue.
        for (int c = 0; c < 3; ++c) {
            const std::uint8_t grey[3] = {in[c], in[c], in[c]};
            cmsDoTransform(mInverse, grey, &out[c], 1);
        }
        return RGB(out[0], out[1], out[2]);
    }
    cmsDoTransform(mInverse, in, out, 1);
    return RGB(out[0], out[1], out[2]);
}
