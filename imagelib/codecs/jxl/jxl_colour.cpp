// imagelib/codecs/jxl/jxl_colour.cpp
#include "imagelib/codecs/jxl/jxl_colour.h"

#include <cstdio>

namespace {

constexpr std::size_t kMaxProfileBytes = std::size_t(16) << 20;

struct Named
{
    const char *name;
    int cicp; // H.273 colour primaries, 2 when the white point rules it out
};

// Primaries and name; false for an encoding whose primaries we cannot use.
bool primariesOf(const JxlColorEncoding &e, ZvChromaticities &out, Named &named)
{
    switch (e.primaries) {
    case JXL_PRIMARIES_SRGB: named = {"sRGB", 1}; return zvCicpPrimaries(1, out);
    case JXL_PRIMARIES_2100: named = {"Rec. 2020", 9}; return zvCicpPrimaries(9, out);
    case JXL_PRIMARIES_P3: named = {"Display P3", 12}; return zvCicpPrimaries(12, out);
    case JXL_PRIMARIES_CUSTOM:
        named = {"custom primaries", 2};
        out.rx = e.primaries_red_xy[0], out.ry = e.primaries_red_xy[1];
        out.gx = e.primaries_green_xy[0], out.gy = e.primaries_green_xy[1];
        out.bx = e.primaries_blue_xy[0], out.by = e.primaries_blue_xy[1];
        return out.ry > 0 && out.gy > 0 && out.by > 0;
    }
    return false;
}

// The white point; false for one we cannot use.
bool whiteOf(const JxlColorEncoding &e, ZvChromaticities &out)
{
    switch (e.white_point) {
    case JXL_WHITE_POINT_D65: out.wx = 0.3127, out.wy = 0.3290; return true;
    case JXL_WHITE_POINT_DCI: out.wx = 0.314, out.wy = 0.351; return true;
    case JXL_WHITE_POINT_E: out.wx = 1.0 / 3, out.wy = 1.0 / 3; return true;
    case JXL_WHITE_POINT_CUSTOM:
        out.wx = e.white_point_xy[0], out.wy = e.white_point_xy[1];
        return out.wy > 0;
    }
    return false;
}

// The transfer, its gamma and the name's suffix. JPEG XL stores a gamma as
// the encoding exponent (0.4545 for 2.2).
const char *transferOf(const JxlColorEncoding &e, ZvColourSpace &colour)
{
    colour.cicpTransfer =
        std::uint16_t(e.transfer_function == JXL_TRANSFER_FUNCTION_GAMMA ? 2 : e.transfer_function);
    switch (e.transfer_function) {
    case JXL_TRANSFER_FUNCTION_LINEAR: colour.transfer = ZvTransfer::Linear; return " (linear)";
    case JXL_TRANSFER_FUNCTION_PQ: colour.transfer = ZvTransfer::Pq; return " PQ";
    case JXL_TRANSFER_FUNCTION_HLG: colour.transfer = ZvTransfer::Hlg; return " HLG";
    case JXL_TRANSFER_FUNCTION_DCI:
        colour.transfer = ZvTransfer::Gamma;
        colour.gamma = 2.6;
        return " (gamma 2.6)";
    case JXL_TRANSFER_FUNCTION_GAMMA:
        if (e.gamma > 0.01 && e.gamma < 1.0) {
            colour.transfer = ZvTransfer::Gamma;
            colour.gamma = 1.0 / e.gamma;
            return "";
        }
        break; // a gamma of 1 or an absurd one: taken as sRGB's curve
    default: break;
    }
    colour.transfer = ZvTransfer::Srgb;
    return "";
}

} // namespace

bool jxlIsHdr(const JxlColorEncoding &encoding)
{
    return encoding.transfer_function == JXL_TRANSFER_FUNCTION_PQ ||
           encoding.transfer_function == JXL_TRANSFER_FUNCTION_HLG;
}

ZvColourSpacePtr jxlColourOfEncoding(const JxlColorEncoding &e)
{
    if (e.color_space != JXL_COLOR_SPACE_RGB && e.color_space != JXL_COLOR_SPACE_GRAY)
        return nullptr;
    const bool grey = e.color_space == JXL_COLOR_SPACE_GRAY;
    auto colour = std::make_shared<ZvColourSpace>();
    colour->kind = ZvColourKind::Described;
    Named named{"Grey", 2};
    if (!grey && !primariesOf(e, colour->primaries, named))
        return nullptr;
    if (!whiteOf(e, colour->primaries))
        return nullptr;
    if (!grey && e.white_point != JXL_WHITE_POINT_D65)
        named = e.primaries == JXL_PRIMARIES_P3 && e.white_point == JXL_WHITE_POINT_DCI
                    ? Named{"DCI-P3", 11}
                    : Named{named.name, 2};
    colour->cicpPrimaries = std::uint16_t(named.cicp);
    const char *suffix = transferOf(e, *colour);
    char gamma[32] = "";
    if (e.transfer_function == JXL_TRANSFER_FUNCTION_GAMMA && colour->transfer == ZvTransfer::Gamma)
        std::snprintf(gamma, sizeof gamma, " (gamma %.2f)", colour->gamma);
    colour->name = std::string(named.name) + suffix + gamma;
    if (zvColourIsSrgb(colour.get()))
        return nullptr;
    return colour;
}

JxlColorEncoding jxlSrgbEncoding(bool grey)
{
    JxlColorEncoding e{};
    e.color_space = grey ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
    e.white_point = JXL_WHITE_POINT_D65;
    e.white_point_xy[0] = 0.3127, e.white_point_xy[1] = 0.3290;
    e.primaries = JXL_PRIMARIES_SRGB;
    e.primaries_red_xy[0] = 0.64, e.primaries_red_xy[1] = 0.33;
    e.primaries_green_xy[0] = 0.30, e.primaries_green_xy[1] = 0.60;
    e.primaries_blue_xy[0] = 0.15, e.primaries_blue_xy[1] = 0.06;
    e.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    e.rendering_intent = JXL_RENDERING_INTENT_RELATIVE;
    return e;
}

ZvColourSpacePtr jxlDataColour(const JxlDecoder *dec)
{
    JxlColorEncoding data;
    if (JxlDecoderGetColorAsEncodedProfile(dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &data) ==
        JXL_DEC_SUCCESS)
        return jxlColourOfEncoding(data);
    return zvColourFromIcc(jxlIccProfile(dec, JXL_COLOR_PROFILE_TARGET_DATA));
}

std::vector<std::uint8_t> jxlIccProfile(const JxlDecoder *dec, JxlColorProfileTarget target)
{
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(dec, nullptr, target, &size) != JXL_DEC_SUCCESS || size == 0 ||
        size > kMaxProfileBytes)
        return {};
    std::vector<std::uint8_t> icc(size);
    if (JxlDecoderGetColorAsICCProfile(dec, nullptr, target, icc.data(), size) != JXL_DEC_SUCCESS)
        return {};
    return icc;
}
