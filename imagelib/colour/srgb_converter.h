// imagelib/colour/srgb_converter.h
#pragma once

#include "imagelib/core/colour_space.h"
#include "platform/win_types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Converts 8-bit pixels of one described colour space to sRGB. Built once
// per distinct description and never changed after, so any number of
// threads share one (its LittleCMS transforms are made without a cache).
//
// Matrix-shaper profiles (every profile made from numbers, and the ICC
// profiles of phones and cameras) go through tables of our own: each
// channel's curve to linear light, one 3x3 matrix between the two spaces'
// primaries (both adapted to D50 as ICC profiles are), and sRGB's curve;
// that is the arithmetic LittleCMS does for such a pair, at a fraction of
// its cost per pixel. Other profiles go through LittleCMS itself.
class ZvSrgbConverter
{
  public:
    static std::shared_ptr<const ZvSrgbConverter> make(const ZvColourSpace &colour);
    ~ZvSrgbConverter();
    ZvSrgbConverter(const ZvSrgbConverter &) = delete;
    ZvSrgbConverter &operator=(const ZvSrgbConverter &) = delete;

    // The description's pixels are sRGB's to within two levels: nothing to do.
    bool identity() const { return mPath == Path::Identity; }
    // Why the description cannot be used; empty when it can.
    const std::string &problem() const { return mProblem; }
    // The space's name: the description's own, or its profile's.
    const std::string &name() const { return mName; }

    // Converts count pixels in blue, green, red order, step bytes apart
    // (3 for rows of a 24-bit picture, 4 for a palette).
    void toSrgb(std::uint8_t *pixels, std::size_t count, int step) const;
    // An sRGB colour's numbers in the space (clipped to it).
    COLORREF fromSrgb(COLORREF srgb) const;

  private:
    enum class Path { Identity, Refused, Matrix, Grey, Lcms };
    static constexpr int kEncodeSize = 16384; // linear light 0..1 in steps for sRGB's curve

    ZvSrgbConverter() = default;
    void build(const ZvColourSpace &colour);
    bool buildTables(void *source, void *srgb);
    bool nearlyIdentity() const;
    void matrixPixels(std::uint8_t *pixels, std::size_t count, int step) const;
    void greyPixels(std::uint8_t *pixels, std::size_t count, int step) const;
    void lcmsPixels(std::uint8_t *pixels, std::size_t count, int step) const;

    Path mPath = Path::Refused;
    std::string mProblem;
    std::string mName;
    std::array<std::array<float, 256>, 3> mLinear{}; // per channel R, G, B
    std::array<float, 9> mMatrix{};                  // source linear RGB -> sRGB linear RGB, row major
    std::array<std::uint8_t, kEncodeSize + 1> mEncode{};
    std::array<std::uint8_t, 256> mGrey{}; // a grey profile's whole conversion
    void *mTransform = nullptr;            // LittleCMS, BGR 8 -> BGR 8, for Path::Lcms
    void *mInverse = nullptr;              // LittleCMS, sRGB RGB 8 -> the space's RGB 8
    bool mGreySpace = false;
};
