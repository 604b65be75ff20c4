// imagelib/codecs/jpeg2000/jas_opj_decode.cpp
// JP2 files and bare codestreams through OpenJPEG. One component (or two,
// the second being alpha or unknown) gives an 8-bit grey picture; three or
// more give 24 bits from the first three, converted from YCC or CMYK when
// the file says so. Components are sampled on the grid of the first one,
// which upsamples subsampled chroma; other precisions are scaled to 8 bits
// and signed samples moved up by half their range.
#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/codecs/jpeg2000/jas_opj_limits.h"
#include "imagelib/codecs/jpeg2000/jas_opj_session.h"
#include "imagelib/codecs/jpeg2000/jas_pixels.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr char kLoadError[] = "error: cannot load image data";
// OpenJPEG keeps 4 bytes per sample of every component while it decodes:
// 2^28 samples (1 GiB) covers an 89-megapixel colour picture.
constexpr std::uint64_t kMaxSamples = std::uint64_t(1) << 28;

// One component read at the pixel positions of the first component.
class Channel
{
  public:
    Channel(const opj_image_comp_t &c, const opj_image_comp_t &base)
        : mComp(c)
        , mScale((std::uint32_t(1) << c.prec) - 1)
        , mOffset(c.sgnd ? std::int64_t(1) << (c.prec - 1) : 0)
        , mMax((std::int64_t(1) << c.prec) - 1)
    {
        mX.resize(base.w);
        for (std::uint32_t x = 0; x < base.w; ++x)
            mX[x] = Index((std::uint64_t(base.x0) + x) * base.dx, c.dx, c.x0, c.w);
        mBaseY0 = base.y0;
        mBaseDy = base.dy;
    }
    void SelectRow(std::uint32_t y)
    {
        mRow =
            mComp.data +
            std::size_t(Index((std::uint64_t(mBaseY0) + y) * mBaseDy, mComp.dy, mComp.y0, mComp.h)) * mComp.w;
    }
    std::uint8_t operator()(std::uint32_t x) const
    {
        const std::int64_t v = std::int64_t(mRow[mX[x]]) + mOffset;
        return mScale(std::uint32_t(v < 0 ? 0 : (v > mMax ? mMax : v)));
    }

  private:
    static std::uint32_t Index(std::uint64_t grid, std::uint32_t step, std::uint32_t origin,
                               std::uint32_t size)
    {
        const std::uint64_t i = grid / step;
        return i <= origin ? 0 : std::uint32_t(std::min<std::uint64_t>(i - origin, size - 1));
    }

    const opj_image_comp_t &mComp;
    ZvSampleScale mScale;
    std::int64_t mOffset;
    std::int64_t mMax;
    std::vector<std::uint32_t> mX;
    std::uint32_t mBaseY0 = 0;
    std::uint32_t mBaseDy = 1;
    const OPJ_INT32 *mRow = nullptr;
};

void checkWorkingMemory(const opj_image_t &img)
{
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < img.numcomps; ++i) {
        total += jasMul(img.comps[i].w, img.comps[i].h);
        if (total > kMaxSamples)
            throw ZvCodecError("error: cannot allocate memory");
    }
}

bool usable(const opj_image_comp_t &c)
{
    return c.data && c.w > 0 && c.h > 0 && c.dx > 0 && c.dy > 0 && c.prec >= 1 && c.prec <= 31;
}

int clamp8(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Y, Cb, Cr (chroma centred on 128) to blue, green, red.
void yccToBgr(int y, int cb, int cr, std::uint8_t *out)
{
    cb -= 128;
    cr -= 128;
    out[2] = std::uint8_t(clamp8(y + int(1.402 * cr)));
    out[1] = std::uint8_t(clamp8(y - int(0.344 * cb + 0.714 * cr)));
    out[0] = std::uint8_t(clamp8(y + int(1.772 * cb)));
}

// Ink amounts: 0 is none, 255 full.
void cmykToBgr(int c, int m, int y, int k, std::uint8_t *out)
{
    out[2] = std::uint8_t((255 - c) * (255 - k) / 255);
    out[1] = std::uint8_t((255 - m) * (255 - k) / 255);
    out[0] = std::uint8_t((255 - y) * (255 - k) / 255);
}

void storeGrey(ZvImage &image, Channel &grey)
{
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
        grey.SelectRow(y);
        std::uint8_t *row = jasTopRow(image, y);
        for (std::uint32_t x = 0; x < image.GetWidth(); ++x)
            row[x] = grey(x);
    }
}

void storeColour(ZvImage &image, std::vector<std::unique_ptr<Channel>> &ch, OPJ_COLOR_SPACE space)
{
    const bool ycc = space == OPJ_CLRSPC_SYCC;
    const bool cmyk = space == OPJ_CLRSPC_CMYK && ch.size() >= 4;
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
        for (auto &c : ch)
            c->SelectRow(y);
        std::uint8_t *row = jasTopRow(image, y);
        const Channel &a = *ch[0], &b = *ch[1], &c = *ch[2];
        for (std::uint32_t x = 0; x < image.GetWidth(); ++x, row += 3) {
            if (ycc) {
                yccToBgr(a(x), b(x), c(x), row);
            } else if (cmyk) {
                cmykToBgr(a(x), b(x), c(x), (*ch[3])(x), row);
            } else {
                row[0] = c(x);
                row[1] = b(x);
                row[2] = a(x);
            }
        }
    }
}

void storeAlpha(ZvImage &image, Channel &alpha)
{
    if (!image.AlphaCreate())
        throw ZvCodecError("error: cannot allocate memory");
    const std::uint32_t h = image.GetHeight();
    for (std::uint32_t y = 0; y < h; ++y) {
        alpha.SelectRow(y);
        std::uint8_t *row = image.AlphaGetPointer(0, std::int32_t(h - 1 - y));
        for (std::uint32_t x = 0; x < image.GetWidth(); ++x)
            row[x] = alpha(x);
    }
}

// The component marked as alpha beyond the colour ones, or -1.
int alphaComponent(const opj_image_t &img)
{
    for (std::uint32_t i = 3; i < img.numcomps; ++i)
        if (img.comps[i].alpha && usable(img.comps[i]))
            return int(i);
    return -1;
}

void storePicture(ZvImage &image, const opj_image_t &img, std::uint32_t type)
{
    const opj_image_comp_t &base = img.comps[0];
    const bool colour = img.numcomps >= 3;
    const std::uint32_t used = img.numcomps >= 4 && img.color_space == OPJ_CLRSPC_CMYK ? 4 : (colour ? 3 : 1);
    std::vector<std::unique_ptr<Channel>> ch;
    for (std::uint32_t i = 0; i < used; ++i) {
        if (!usable(img.comps[i]))
            throw ZvCodecError(kLoadError);
        ch.push_back(std::make_unique<Channel>(img.comps[i], base));
    }
    jasCreate(image, base.w, base.h, colour ? 24 : 8, type);
    if (!colour) {
        storeGrey(image, *ch[0]);
        return;
    }
    storeColour(image, ch, img.color_space);
    const int alpha = used == 3 ? alphaComponent(img) : -1;
    if (alpha >= 0) {
        Channel a(img.comps[alpha], base);
        storeAlpha(image, a);
    }
}

} // namespace

void jasReadJpeg2000(ZvImage &image, ZvFile *stream, bool jp2)
{
    jasCheckCodestreamLimits(stream, jp2, kMaxSamples);
    ZvOpjSession s(stream, true);
    s.CreateCodec(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    if (!opj_setup_decoder(s.Codec(), &params) || !opj_read_header(s.Stream(), s.Codec(), &s.mImage) ||
        !s.mImage || s.mImage->numcomps == 0)
        s.Fail(kLoadError);
    checkWorkingMemory(*s.mImage);
    jasCheckEscape(image);
    if (!opj_decode(s.Codec(), s.Stream(), s.mImage) || !opj_end_decompress(s.Codec(), s.Stream()))
        s.Fail(kLoadError);
    jasCheckEscape(image);
    storePicture(image, *s.mImage, jp2 ? ZV_TYPE_JP2 : ZV_TYPE_JPC);
}
