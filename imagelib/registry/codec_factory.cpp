// imagelib/registry/codec_factory.cpp
#include "imagelib/registry/codec_factory.h"

#include "imagelib/codecs/avif/codec_avif.h"
#include "imagelib/codecs/bmp/codec_bmp.h"
#include "imagelib/codecs/gif/codec_gif.h"
#include "imagelib/codecs/heif/codec_heif.h"
#include "imagelib/codecs/ico/codec_ico.h"
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/codecs/jpeg2000/codec_jas.h"
#include "imagelib/codecs/jxl/codec_jxl.h"
#include "imagelib/codecs/pcx/codec_pcx.h"
#include "imagelib/codecs/png/codec_png.h"
#include "imagelib/codecs/raw/codec_raw.h"
#include "imagelib/codecs/tga/codec_tga.h"
#include "imagelib/codecs/tiff/codec_tif.h"
#include "imagelib/codecs/wbmp/codec_wbmp.h"
#include "imagelib/codecs/webp/codec_webp.h"
#include "imagelib/codecs/wmf/codec_wmf.h"

std::unique_ptr<ZvCodec> ZvMakeCodec(std::uint32_t imagetype)
{
    switch (imagetype) {
    case ZV_TYPE_BMP: return std::make_unique<ZvImageBMP>();
    case ZV_TYPE_GIF: return std::make_unique<ZvImageGIF>();
    case ZV_TYPE_JPG: return std::make_unique<ZvImageJPG>();
    case ZV_TYPE_PNG: return std::make_unique<ZvImagePNG>();
    case ZV_TYPE_ICO: return std::make_unique<ZvImageICO>();
    case ZV_TYPE_TIF: return std::make_unique<ZvImageTIF>();
    case ZV_TYPE_TGA: return std::make_unique<ZvImageTGA>();
    case ZV_TYPE_PCX: return std::make_unique<ZvImagePCX>();
    case ZV_TYPE_WBMP: return std::make_unique<ZvImageWBMP>();
    case ZV_TYPE_WMF: return std::make_unique<ZvImageWMF>();
    case ZV_TYPE_JP2:
    case ZV_TYPE_JPC:
    case ZV_TYPE_PGX:
    case ZV_TYPE_PNM:
    case ZV_TYPE_RAS: return std::make_unique<ZvImageJAS>(imagetype);
    case ZV_TYPE_WEBP: return std::make_unique<ZvImageWEBP>();
    case ZV_TYPE_AVIF: return std::make_unique<ZvImageAVIF>();
    case ZV_TYPE_JXL: return std::make_unique<ZvImageJXL>();
    case ZV_TYPE_HEIF: return std::make_unique<ZvImageHEIF>();
    case ZV_TYPE_RAW: return std::make_unique<ZvImageRAW>();
    default: return nullptr;
    }
}

std::unique_ptr<ZvCodec> ZvMakeSniffingCodec(std::uint32_t imagetype)
{
    if (imagetype == ZV_TYPE_JP2)
        return std::make_unique<ZvImageJAS>(ZV_TYPE_UNKNOWN);
    if (imagetype == ZV_TYPE_WBMP)
        return std::make_unique<ZvImageWBMP>(ZvImageWBMP::Fit::Exact);
    return ZvMakeCodec(imagetype);
}
