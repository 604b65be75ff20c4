// imagelib/metafile/metafile_state.h
#pragma once

#include "imagelib/metafile/metafile_gdi.h"
#include "imagelib/metafile/metafile_mapping.h"
#include "platform/win_types.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRegion>

#include <cstdint>
#include <variant>
#include <vector>

// The drawing objects a metafile creates, selects and deletes. Selecting
// copies the object into the state, so deleting a selected object (which
// writers do) leaves the drawing as it was.

struct MetaPen
{
    std::uint32_t style = PS_SOLID; // style, end cap and join bits
    double width = 0;               // logical units; 0 draws one pixel
    bool geometric = true;          // false: one pixel whatever the width
    QColor color = Qt::black;
    std::vector<double> dashes; // user style, in pen widths
};

struct MetaBrush
{
    std::uint32_t style = BS_SOLID;
    QColor color = Qt::white;
    std::uint32_t hatch = 0;
    QImage pattern;          // BS_PATTERN / BS_DIBPATTERN
    bool monochrome = false; // a one-bit pattern drawn in the text and background colours
};

struct MetaFont
{
    LOGFONT lf;
};

struct MetaPalette
{
    QList<QRgb> colours;
};

// A WMF region object: rectangles in logical units.
struct MetaRegion
{
    QList<QRectF> rects;
};

using MetaObject = std::variant<std::monostate, MetaPen, MetaBrush, MetaFont, MetaPalette, MetaRegion>;

// What SaveDC keeps and RestoreDC brings back.
struct MetaDcState
{
    MetaMapping mapping;
    MetaPen pen;
    MetaBrush brush;
    MetaFont font;
    QList<QRgb> palette;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    std::uint32_t bkMode = metagdi::OPAQUE;
    std::uint32_t textAlign = 0;
    std::uint32_t polyFillMode = metagdi::ALTERNATE;
    std::uint32_t rop2 = metagdi::R2_COPYPEN;
    std::uint32_t stretchMode = 1;
    std::uint32_t arcDirection = metagdi::AD_COUNTERCLOCKWISE;
    double charExtra = 0; // logical units added after every character
    double miterLimit = 10;
    QPointF position; // current position, logical units
    bool clipped = false;
    QRegion clip;                 // picture pixels, when clipped
    std::uint64_t clipSerial = 0; // changes whenever clip does
};
