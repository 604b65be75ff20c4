// caption/box_fields.h
#pragma once

#include "caption/caption_settings.h"
#include "caption/preview_geometry.h"

#include <QSizeF>

// Pure arithmetic behind the page's position and size fields and its box
// actions, kept apart from the widgets so that tests reach it directly.
//
// "Design pixels" are the units of CaptionOffsets: picture pixels, or with
// style.referenceSide > 0 pixels of a picture whose shorter side is
// referenceSide. `factor` is picture pixels per design pixel (1 for a plain
// design). `picture` is the size of the picture the fields refer to, in its
// own pixels (the preview area's size while no picture is shown).

// What the fields show: the box's distance from its anchor corner (X from
// the anchored side, Y likewise) and its size; all non-negative for a box
// that is not inverted.
struct BoxFields
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const BoxFields &) const = default;
};

enum class FieldUnit { Pixels, Percent };

enum class BoxField { X = 0, Y = 1, Width = 2, Height = 3 };

// fields with one of them set to value.
BoxFields WithField(BoxFields fields, BoxField field, double value);

// Picture pixels per design pixel for a picture of that size.
double DesignFactor(const CaptionStyle &style, QSizeF picture);

BoxFields FieldsFromOffsets(const CaptionOffsets &offsets, std::int32_t anchor, double factor, QSizeF picture,
                            FieldUnit unit);
// The inverse of FieldsFromOffsets (exact up to floating point).
CaptionOffsets OffsetsFromFields(const BoxFields &fields, std::int32_t anchor, double factor, QSizeF picture,
                                 FieldUnit unit);

// The box moved so that its centre is the picture's centre, its size kept.
CaptionOffsets CentredOffsets(const CaptionOffsets &offsets, std::int32_t anchor, double factor,
                              QSizeF picture);

// A new box's rectangle, as offsets from the anchor corner. A plain design
// keeps the old 300 x 40 box at (40, 40). A design that sizes with the
// picture gets a box a user can see on any picture: a fifth of the picture's
// width, tall enough for two lines of the font plus padding, at a
// twentieth of the shorter side from the corner.
CaptionOffsets DefaultBoxOffsets(const CaptionSettings &design, QSizeF picture);

// The view to hand a box's placement: a design that sizes with the picture
// is placed at the display scale times its factor, so the offsets stay
// design pixels while the box follows the pointer.
PreviewGeometry DesignView(const PreviewGeometry &view, const CaptionStyle &style);
// The picture size a geometry shows (the preview area without a picture).
QSizeF ShownPictureSize(const PreviewGeometry &view);

// "Size with the picture" switched on for a picture of that size: the
// reference side becomes its shorter side, so nothing moves or grows.
// Switched off: the design as CaptionForPicture stamps it on that picture
// (its pixel measures become the picture's own), so the box stays put there.
CaptionSettings WithSizeFollowingPicture(const CaptionSettings &design, bool on, QSizeF picture);
