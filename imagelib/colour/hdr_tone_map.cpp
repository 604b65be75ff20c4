// imagelib/colour/hdr_tone_map.cpp
#include "imagelib/colour/hdr_tone_map.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Matrix = std::array<double, 9>;

constexpr double kKnee = 0.8;
constexpr double kPqPeakNits = 10000.0;
// HLG's nominal display and its system gamma (BT.2100 table 5 at 1000 cd/m2).
constexpr double kHlgPeakNits = 1000.0;
constexpr double kHlgGamma = 1.2;
// Linear light to sRGB levels: fine enough that the steepest part of the
// curve (near black, 12.92 * 255 levels per unit) moves less than a
// quarter level per step.
constexpr int kEncodeSteps = 16384;

Matrix multiply(const Matrix &a, const Matrix &b)
{
    Matrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                m[r * 3 + c] += a[r * 3 + k] * b[k * 3 + c];
    return m;
}

Matrix inverse(const Matrix &m)
{
    const double a = m[0], b = m[1], c = m[2], d = m[3], e = m[4], f = m[5], g = m[6], h = m[7], i = m[8];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (std::fabs(det) < 1e-12)
        return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    return {(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
            (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
            (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
}

std::array<double, 3> whiteXyz(double x, double y)
{
    return {x / y, 1.0, (1 - x - y) / y};
}

// RGB (linear) to XYZ for primaries and white given as x, y: the columns
// are the primaries' XYZ, scaled so that RGB 1,1,1 gives the white.
Matrix rgbToXyz(const ZvChromaticities &p)
{
    const double xs[3] = {p.rx, p.gx, p.bx}, ys[3] = {p.ry, p.gy, p.by};
    Matrix m{};
    for (int c = 0; c < 3; ++c) {
        const std::array<double, 3> xyz = whiteXyz(xs[c], ys[c]);
        m[c] = xyz[0], m[3 + c] = xyz[1], m[6 + c] = xyz[2];
    }
    const std::array<double, 3> w = whiteXyz(p.wx, p.wy);
    const Matrix inv = inverse(m);
    double s[3];
    for (int r = 0; r < 3; ++r)
        s[r] = inv[r * 3] * w[0] + inv[r * 3 + 1] * w[1] + inv[r * 3 + 2] * w[2];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[r * 3 + c] *= s[c];
    return m;
}

// Bradford chromatic adaptation from one white to another, in XYZ.
Matrix bradford(double fromX, double fromY, double toX, double toY)
{
    const Matrix cone = {0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
    const std::array<double, 3> from = whiteXyz(fromX, fromY), to = whiteXyz(toX, toY);
    Matrix scale{};
    for (int r = 0; r < 3; ++r) {
        double f = 0, t = 0;
        for (int k = 0; k < 3; ++k) {
            f += cone[r * 3 + k] * from[k];
            t += cone[r * 3 + k] * to[k];
        }
        scale[r * 4] = t / f;
    }
    return multiply(inverse(cone), multiply(scale, cone));
}

Matrix toBt709(const ZvChromaticities &source)
{
    const ZvChromaticities srgb;
    Matrix toXyz = rgbToXyz(source);
    if (std::fabs(source.wx - srgb.wx) > 1e-4 || std::fabs(source.wy - srgb.wy) > 1e-4)
        toXyz = multiply(bradford(source.wx, source.wy, srgb.wx, srgb.wy), toXyz);
    return multiply(inverse(rgbToXyz(srgb)), toXyz);
}

const std::vector<std::uint8_t> &srgbEncodeTable()
{
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(kEncodeSteps + 1);
        for (int i = 0; i <= kEncodeSteps; ++i) {
            const double v = double(i) / kEncodeSteps;
            const double e = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
            t[std::size_t(i)] = std::uint8_t(std::lround(std::clamp(e, 0.0, 1.0) * 255));
        }
        return t;
    }();
    return table;
}

} // namespace

double zvPqToNits(double signal)
{
    constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128;
    constexpr double c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
    const double p = std::pow(std::clamp(signal, 0.0, 1.0), 1 / m2);
    return kPqPeakNits * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1);
}

double zvHlgToScene(double signal)
{
    constexpr double a = 0.17883277, b = 1 - 4 * a, c = 0.55991073;
    signal = std::clamp(signal, 0.0, 1.0);
    if (signal <= 0.5)
        return signal * signal / 3;
    return (std::exp((signal - c) / a) + b) / 12;
}

double zvHdrToneCurve(double x, double peak)
{
    if (x <= kKnee)
        return std::max(x, 0.0);
    // Extended Reinhard on the part above the knee, in units that give it
    // slope 1 at the knee and the value 1 at peak.
    const double span = 1 - kKnee;
    const double u = (x - kKnee) / span;
    const double w = std::max((peak - kKnee) / span, 1.0);
    const double shoulder = u * (1 + u / (w * w)) / (1 + u);
    return std::min(kKnee + span * shoulder, 1.0);
}

ZvHdrToneMap::ZvHdrToneMap(const ZvColourSpace &colour, int bits)
    : mEncode(srgbEncodeTable().data())
    , mHlg(colour.transfer == ZvTransfer::Hlg)
{
    bits = std::clamp(bits, 8, 16);
    mMaxCode = (std::uint32_t(1) << bits) - 1;
    mToLinear.resize(std::size_t(mMaxCode) + 1);
    for (std::uint32_t v = 0; v <= mMaxCode; ++v) {
        const double signal = double(v) / mMaxCode;
        mToLinear[v] = float(mHlg ? zvHlgToScene(signal) : zvPqToNits(signal) / kHdrReferenceWhite);
    }
    mPeak = float((mHlg ? kHlgPeakNits : kPqPeakNits) / kHdrReferenceWhite);
    const Matrix m = toBt709(colour.primaries);
    std::copy(m.begin(), m.end(), mMatrix);
    const Matrix xyz = rgbToXyz(colour.primaries);
    for (int c = 0; c < 3; ++c)
        mLuma[c] = float(xyz[3 + c]);
}

void ZvHdrToneMap::MapToBgr(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint8_t *bgr) const
{
    float in[3] = {mToLinear[std::min(r, mMaxCode)], mToLinear[std::min(g, mMaxCode)],
                   mToLinear[std::min(b, mMaxCode)]};
    if (mHlg) {
        // OOTF: display light = peak * Ys^(gamma - 1) * scene light.
        const float ys = mLuma[0] * in[0] + mLuma[1] * in[1] + mLuma[2] * in[2];
        const float gain =
            ys > 0 ? float(kHlgPeakNits / kHdrReferenceWhite * std::pow(ys, kHlgGamma - 1)) : 0;
        for (float &v : in)
            v *= gain;
    }
    float out[3];
    for (int c = 0; c < 3; ++c)
        out[c] = mMatrix[c * 3] * in[0] + mMatrix[c * 3 + 1] * in[1] + mMatrix[c * 3 + 2] * in[2];
    const float top = std::max({out[0], out[1], out[2]});
    if (top <= 0) {
        bgr[0] = bgr[1] = bgr[2] = 0;
        return;
    }
    const float scale = float(zvHdrToneCurve(top, mPeak) / top);
    for (float &v : out)
        v *= scale;
    const float low = std::min({out[0], out[1], out[2]});
    if (low < 0) {
        const float luma = std::max(0.2126f * out[0] + 0.7152f * out[1] + 0.0722f * out[2], 0.0f);
        const float keep = luma / (luma - low);
        for (float &v : out)
            v = luma + keep * (v - luma);
    }
    for (int c = 0; c < 3; ++c) {
        const float v = std::clamp(out[c], 0.0f, 1.0f);
        bgr[2 - c] = mEncode[std::size_t(v * kEncodeSteps + 0.5f)];
    }
}
