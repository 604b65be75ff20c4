// caption/box_fields.cpp
#include "caption/box_fields.h"

#include "caption/caption_geometry.h"
#include "caption/caption_scale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNewBoxWidth = 300; // a plain new box, picture pixels
constexpr double kNewBoxHeight = 40;
constexpr double kNewBoxStart = 40;
constexpr double kRelativeBoxShare = 5; // a relative new box is a fifth of the width
constexpr double kRelativeStartShare = 20;
constexpr double kLineSpacing = 1.25; // a line of text, per pixel of font height

bool rightAnchored(std::int32_t anchor)
{
    return anchor == CaptionAnchor::TopRight || anchor == CaptionAnchor::BottomRight;
}

bool bottomAnchored(std::int32_t anchor)
{
    return anchor == CaptionAnchor::BottomLeft || anchor == CaptionAnchor::BottomRight;
}

double shorterSide(QSizeF picture)
{
    return std::min(picture.width(), picture.height());
}

} // namespace

double DesignFactor(const CaptionStyle &style, QSizeF picture)
{
    const double side = shorterSide(picture);
    if (style.referenceSide <= 0 || side <= 0 || !std::isfinite(style.referenceSide))
        return 1.0;
    return side / style.referenceSide;
}

BoxFields WithField(BoxFields fields, BoxField field, double value)
{
    double *parts[4] = {&fields.x, &fields.y, &fields.width, &fields.height};
    *parts[int(field)] = value;
    return fields;
}

BoxFields FieldsFromOffsets(const CaptionOffsets &o, std::int32_t anchor, double factor, QSizeF picture,
                            FieldUnit unit)
{
    // For a right anchor the box's right edge is the near one (left >= right).
    BoxFields f;
    f.x = rightAnchored(anchor) ? o.right : o.left;
    f.width = rightAnchored(anchor) ? o.left - o.right : o.right - o.left;
    f.y = bottomAnchored(anchor) ? o.bottom : o.top;
    f.height = bottomAnchored(anchor) ? o.top - o.bottom : o.bottom - o.top;
    f.x *= factor;
    f.y *= factor;
    f.width *= factor;
    f.height *= factor;
    if (unit == FieldUnit::Percent) {
        const double w = picture.width() > 0 ? picture.width() : 1;
        const double h = picture.height() > 0 ? picture.height() : 1;
        f.x = f.x * 100 / w;
        f.width = f.width * 100 / w;
        f.y = f.y * 100 / h;
        f.height = f.height * 100 / h;
    }
    return f;
}

CaptionOffsets OffsetsFromFields(const BoxFields &fields, std::int32_t anchor, double factor, QSizeF picture,
                                 FieldUnit unit)
{
    BoxFields f = fields;
    if (unit == FieldUnit::Percent) {
        const double w = picture.width() > 0 ? picture.width() : 1;
        const double h = picture.height() > 0 ? picture.height() : 1;
        f.x = f.x * w / 100;
        f.width = f.width * w / 100;
        f.y = f.y * h / 100;
        f.height = f.height * h / 100;
    }
    const double k = factor > 0 ? factor : 1;
    CaptionOffsets o;
    if (rightAnchored(anchor)) {
        o.right = float(f.x / k);
        o.left = float((f.x + f.width) / k);
    } else {
        o.left = float(f.x / k);
        o.right = float((f.x + f.width) / k);
    }
    if (bottomAnchored(anchor)) {
        o.bottom = float(f.y / k);
        o.top = float((f.y + f.height) / k);
    } else {
        o.top = float(f.y / k);
        o.bottom = float((f.y + f.height) / k);
    }
    return o;
}

CaptionOffsets CentredOffsets(const CaptionOffsets &offsets, std::int32_t anchor, double factor,
                              QSizeF picture)
{
    BoxFields f = FieldsFromOffsets(offsets, anchor, factor, picture, FieldUnit::Pixels);
    f.x = (picture.width() - f.width) / 2;
    f.y = (picture.height() - f.height) / 2;
    return OffsetsFromFields(f, anchor, factor, picture, FieldUnit::Pixels);
}

CaptionOffsets DefaultBoxOffsets(const CaptionSettings &design, QSizeF picture)
{
    if (design.style.referenceSide <= 0 || picture.isEmpty()) {
        BoxFields f{kNewBoxStart, kNewBoxStart, kNewBoxWidth, kNewBoxHeight};
        return OffsetsFromFields(f, design.anchor, 1, picture, FieldUnit::Pixels);
    }
    const double factor = DesignFactor(design.style, picture);
    // The font height and padding are design pixels; the fields are picture pixels.
    const double lines = 2 * kLineSpacing * std::abs(double(design.font.lfHeight)) + 2 * design.style.padding;
    BoxFields f;
    f.width = picture.width() / kRelativeBoxShare;
    f.height = lines * factor;
    f.x = f.y = shorterSide(picture) / kRelativeStartShare;
    return OffsetsFromFields(f, design.anchor, factor, picture, FieldUnit::Pixels);
}

PreviewGeometry DesignView(const PreviewGeometry &view, const CaptionStyle &style)
{
    PreviewGeometry out = view;
    out.scale = float(SaneScale(view.scale) * DesignFactor(style, ShownPictureSize(view)));
    return out;
}

QSizeF ShownPictureSize(const PreviewGeometry &view)
{
    // The picture's own size when the view knows it, so the factor is the
    // one the caption is painted and stamped with (CaptionScaleFactor).
    if (view.hasPicture && view.pictureWidth > 0 && view.pictureHeight > 0)
        return QSizeF(double(view.pictureWidth), double(view.pictureHeight));
    const float s = SaneScale(view.scale);
    const RECT r = NormalizeRect(view.hasPicture ? view.picture : view.preview);
    return QSizeF(double(r.right - r.left) / s, double(r.bottom - r.top) / s);
}

CaptionSettings WithSizeFollowingPicture(const CaptionSettings &design, bool on, QSizeF picture)
{
    CaptionSettings out = design;
    const bool isOn = design.style.referenceSide > 0;
    if (on == isOn || shorterSide(picture) <= 0)
        return out;
    if (on) {
        out.style.referenceSide = float(shorterSide(picture));
        return out;
    }
    // Off: the design becomes what the export stamps on this picture.
    return CaptionForPicture(design, std::llround(picture.width()), std::llround(picture.height()));
}
