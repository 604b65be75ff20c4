// imagelib/geometry/resample_kernels.h
#pragma once

#include "imagelib/geometry/geometry_rows.h"

class ZvImage;

// The fill loops of ZvImage::Resample. Each fills the result's rows from the
// bottom and returns how many it completed: all of them, or fewer when the
// escape field stopped it. xScale and yScale are source size / result size.
// Indexed results take the palette entry nearest to each computed colour and
// must have been cleared to 0 first.

// Area averaging; 24-bit pictures shrunk in both directions only.
std::int32_t zvResampleAreaAverage(const ZvRowView &src, const ZvRowView &dst, float xScale, float yScale,
                                   const ZvRowProgress &progress);
std::int32_t zvResampleBilinear(const ZvRowView &src, ZvImage &result, float xScale, float yScale,
                                const ZvRowProgress &progress);
std::int32_t zvResampleBicubic(const ZvRowView &src, ZvImage &result, float xScale, float yScale,
                               const ZvRowProgress &progress);
