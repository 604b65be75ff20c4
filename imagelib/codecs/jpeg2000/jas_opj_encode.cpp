// imagelib/codecs/jpeg2000/jas_opj_encode.cpp
// JP2 files and bare codestreams written through OpenJPEG: one 8-bit grey
// component or three 8-bit RGB components, reversible 5/3 wavelet, one
// quality layer whose size follows the JPEG quality.
#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/codecs/jpeg2000/jas_opj_session.h"
#include "imagelib/codecs/jpeg2000/jas_pixels.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char kEncodeError[] = "error: cannot encode image";

// Quality q asks for a code stream of at most q % of the raw picture size
// (rate = q x 0.01); OpenJPEG wants the inverse, a compression ratio. At 100
// no ratio is set and the reversible transform makes the file lossless;
// 0 counts as 1 (ratio 100).
float compressionRatio(std::uint8_t quality)
{
    if (quality >= 100)
        return 0.0f;
    const double rate = std::max<int>(quality, 1) * 0.01;
    return float(1.0 / rate);
}

// Every resolution level must keep at least one sample across the picture.
int resolutionsFor(std::uint32_t width, std::uint32_t height)
{
    const std::uint32_t side = std::min(width, height);
    int levels = 1;
    while (levels < 6 && (side >> levels) > 0)
        ++levels;
    return levels;
}

void fillComponents(const ZvImage &image, opj_image_t &img)
{
    const std::uint32_t w = image.GetWidth();
    const bool grey = img.numcomps == 1;
    std::vector<std::uint8_t> row(std::size_t(w) * (grey ? 1 : 3));
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
        if (grey)
            jasGreyRow(image, y, row.data());
        else
            jasRgbRow(image, y, row.data());
        const std::size_t base = std::size_t(y) * w;
        for (std::uint32_t c = 0; c < img.numcomps; ++c) {
            OPJ_INT32 *out = img.comps[c].data + base;
            for (std::uint32_t x = 0; x < w; ++x)
                out[x] = row[std::size_t(x) * img.numcomps + c];
        }
    }
}

void createImage(ZvOpjSession &s, const ZvImage &image)
{
    const std::uint32_t n = image.IsIndexed() ? 1 : 3;
    opj_image_cmptparm_t parms[3] = {};
    for (std::uint32_t c = 0; c < n; ++c) {
        parms[c].dx = parms[c].dy = 1;
        parms[c].w = image.GetWidth();
        parms[c].h = image.GetHeight();
        parms[c].prec = 8;
    }
    s.mImage = opj_image_create(n, parms, n == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    if (!s.mImage)
        throw ZvCodecError("error : can't allocate memory");
    s.mImage->x0 = s.mImage->y0 = 0;
    s.mImage->x1 = image.GetWidth();
    s.mImage->y1 = image.GetHeight();
    fillComponents(image, *s.mImage);
}

} // namespace

void jasWriteJpeg2000(const ZvImage &image, ZvFile *stream, bool jp2, std::uint8_t quality)
{
    ZvOpjSession s(stream, false);
    createImage(s, image);
    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.tcp_rates[0] = compressionRatio(quality);
    params.cp_disto_alloc = 1;
    params.irreversible = 0;
    params.tcp_mct = s.mImage->numcomps == 3 ? 1 : 0;
    params.numresolution = resolutionsFor(image.GetWidth(), image.GetHeight());
    s.CreateCodec(opj_create_compress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    if (!opj_setup_encoder(s.Codec(), &params, s.mImage) ||
        !opj_start_compress(s.Codec(), s.mImage, s.Stream()) || !opj_encode(s.Codec(), s.Stream()) ||
        !opj_end_compress(s.Codec(), s.Stream()))
        s.Fail(kEncodeError);
}
