// imagelib/codecs/heif/heif_colour.cpp
#include "imagelib/codecs/heif/heif_colour.h"

#include <memory>

namespace {

// A larger "profile" is not one worth reading.
constexpr std::size_t kMaxProfileBytes = std::size_t(16) << 20;

struct NclxFree
{
    void operator()(heif_color_profile_nclx *n) const { heif_nclx_color_profile_free(n); }
};

ZvColourSpacePtr nclxColour(const heif_image_handle *handle)
{
    heif_color_profile_nclx *raw = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &raw).code != heif_error_Ok || !raw)
        return nullptr;
    const std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx(raw);
    return zvColourFromCicp(int(nclx->color_primaries), int(nclx->transfer_characteristics),
                            int(nclx->matrix_coefficients), nclx->full_range_flag != 0);
}

} // namespace

std::vector<std::uint8_t> heifIccProfile(const heif_image_handle *handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return {};
    const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if (size == 0 || size > kMaxProfileBytes)
        return {};
    std::vector<std::uint8_t> icc(size);
    if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
        return {};
    return icc;
}

HeifColour heifColourOf(const heif_image_handle *handle)
{
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: return {true, zvColourFromIcc(heifIccProfile(handle))};
    case heif_color_profile_type_nclx: return {true, nclxColour(handle)};
    default: return {};
    }
}
