// imagelib/metafile/metafile_frame.h
#pragma once

#include "imagelib/metafile/metafile_bytes.h"

#include <QRectF>
#include <QSize>

#include <cstddef>
#include <cstdint>

class QTransform;

// Which metafile a file is, by its first bytes.
enum class MetaKind { None, Wmf, PlaceableWmf, Emf };

// Bytes needed to tell the kinds apart.
constexpr std::size_t kMetaSniffBytes = 44;

MetaKind metaSniff(const MetaBytes &head);

// Where a metafile's picture lies in its device units, and how large those
// units are: the frame the picture shows.
struct MetaFrame
{
    QRectF frame; // device units
    double unitsPerInchX = 96;
    double unitsPerInchY = 96;
};

// The picture a frame renders to, at 96 pixels per inch, scaled down to
// maxSide on its longer side (keeping its aspect); empty for a frame
// without area.
QSize MetaPictureSize(const MetaFrame &frame, std::uint32_t maxSide);

// Maps the frame's device units onto a picture of the given size.
QTransform metaDeviceToPicture(const QRectF &frame, QSize picture);
