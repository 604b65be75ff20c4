// imagelib/metafile/metafile_mapping.cpp
#include "imagelib/metafile/metafile_mapping.h"
#include "imagelib/metafile/metafile_gdi.h"

#include <algorithm>
#include <cmath>

using namespace metagdi;

namespace {

// Millimetres per logical unit of the fixed modes, indexed by mode.
constexpr double kMmPerUnit[] = {0, 1, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};

bool usable(double v)
{
    return std::isfinite(v) && v != 0;
}

} // namespace

void MetaMapping::setDeviceResolution(double perMmX, double perMmY)
{
    if (usable(perMmX) && usable(perMmY)) {
        mPerMmX = std::fabs(perMmX);
        mPerMmY = std::fabs(perMmY);
    }
}

void MetaMapping::setMapMode(std::uint32_t mode)
{
    if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC)
        mMode = mode;
}

void MetaMapping::setWindowExt(QSizeF ext)
{
    if (usable(ext.width()) && usable(ext.height()))
        mWindowExt = ext;
}

void MetaMapping::setViewportExt(QSizeF ext)
{
    if (usable(ext.width()) && usable(ext.height()))
        mViewportExt = ext;
}

void MetaMapping::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (usable(xDenom) && usable(yDenom))
        setWindowExt(QSizeF(mWindowExt.width() * xNum / xDenom, mWindowExt.height() * yNum / yDenom));
}

void MetaMapping::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (usable(xDenom) && usable(yDenom))
        setViewportExt(QSizeF(mViewportExt.width() * xNum / xDenom, mViewportExt.height() * yNum / yDenom));
}

// Device units per logical unit on each axis, with the sign of the axis.
QSizeF MetaMapping::scale() const
{
    if (mMode == MM_TEXT)
        return QSizeF(1, 1);
    if (mMode < MM_ISOTROPIC) {
        const double mm = kMmPerUnit[mMode];
        return QSizeF(mm * mPerMmX, -mm * mPerMmY); // these modes count y upwards
    }
    double sx = mViewportExt.width() / mWindowExt.width();
    double sy = mViewportExt.height() / mWindowExt.height();
    if (mMode == MM_ISOTROPIC) {
        // One unit is as long on both axes; the smaller scale wins and the
        // directions of the axes stay as the extents give them.
        const double s = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(s, sx);
        sy = std::copysign(s, sy);
    }
    return QSizeF(sx, sy);
}

QTransform MetaMapping::page() const
{
    const QSizeF s = scale();
    return QTransform(s.width(), 0, 0, s.height(), mViewportOrg.x() - mWindowOrg.x() * s.width(),
                      mViewportOrg.y() - mWindowOrg.y() * s.height());
}
