// imagelib/metafile/metafile_mapping.h
#pragma once

#include <QPointF>
#include <QSizeF>
#include <QTransform>

#include <cstdint>

// How logical coordinates of a metafile reach device units: the mapping
// mode with its window and viewport, after the world transform of EMF.
// Part of the saved drawing state.
class MetaMapping
{
  public:
    // Device units per millimetre, used by the metric and English modes.
    void setDeviceResolution(double perMmX, double perMmY);

    void setMapMode(std::uint32_t mode);
    std::uint32_t mapMode() const { return mMode; }

    void setWindowOrg(QPointF org) { mWindowOrg = org; }
    void setWindowExt(QSizeF ext);
    void setViewportOrg(QPointF org) { mViewportOrg = org; }
    void setViewportExt(QSizeF ext);
    QPointF windowOrg() const { return mWindowOrg; }
    QSizeF windowExt() const { return mWindowExt; }
    QPointF viewportOrg() const { return mViewportOrg; }
    QSizeF viewportExt() const { return mViewportExt; }
    // Multiplies an extent by num / denom per axis; zero denominators are
    // ignored, as a device would refuse them.
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);

    // The world transform (EMF); identity for WMF.
    void setWorld(const QTransform &world) { mWorld = world; }
    const QTransform &world() const { return mWorld; }

    // Logical (page) coordinates to device units.
    QTransform page() const;
    // World coordinates to device units: world, then page.
    QTransform toDevice() const { return mWorld * page(); }

  private:
    QSizeF scale() const;

    std::uint32_t mMode = 1;
    QPointF mWindowOrg;
    QSizeF mWindowExt{1, 1};
    QPointF mViewportOrg;
    QSizeF mViewportExt{1, 1};
    double mPerMmX = 96 / 25.4;
    double mPerMmY = 96 / 25.4;
    QTransform mWorld;
};
