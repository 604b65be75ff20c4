// imagelib/geometry/geometry_rows.cpp
#include "imagelib/geometry/geometry_rows.h"

#include "imagelib/core/image.h"

ZvRowView ZvRowView::of(const ZvImage &image)
{
    ZvRowView view;
    view.bits = image.GetBits(0);
    view.stride = image.GetEffWidth();
    view.width = std::int32_t(image.GetWidth());
    view.height = std::int32_t(image.GetHeight());
    view.bpp = image.GetBpp();
    view.palette = image.GetPalette();
    return view;
}

ZvRowView ZvRowView::alphaOf(const ZvImage &image)
{
    ZvRowView view;
    view.bits = image.AlphaGetPointer(0, 0);
    view.stride = image.GetWidth();
    view.width = std::int32_t(image.GetWidth());
    view.height = std::int32_t(image.GetHeight());
    view.bpp = 8;
    return view;
}
