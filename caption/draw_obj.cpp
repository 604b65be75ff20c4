// caption/draw_obj.cpp
#include "caption/draw_obj.h"

#include "caption/caption_geometry.h"
#include "platform/archive.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// Handle squares: 7 x 7 preview pixels around the handle point, drawn and
// hit alike whatever the picture's scale, so every pixel a user sees of a
// handle takes it.
constexpr int kHandleDrawHalf = 3;
constexpr int kHandleDrawSize = 7;
// Handles beyond this are off every screen; skipping them keeps the square's
// arithmetic within int.
constexpr std::int32_t kFarAway = 1 << 29;

// Cursor of handles 1..8 (index 0 is handle 1).
constexpr Qt::CursorShape kHandleCursors[8] = {
    Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
    Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
};

int validHandle(int handle)
{
    return handle >= 1 && handle <= 8 ? handle : 1;
}

} // namespace

CDrawObj::CDrawObj(const RECT &rect, const PreviewGeometry *view)
    : mPosition(rect)
{
    mPen.lopnStyle = PS_INSIDEFRAME;
    mPen.lopnWidth = POINT{1, 1};
    mPen.lopnColor = 0;
    mBrush.lbStyle = BS_SOLID;
    mBrush.lbColor = RGB(192, 192, 192);
    mBrush.lbHatch = 0;
    if (view)
        CDrawObj::Place(rect, view);
}

CDrawObj::~CDrawObj() = default;

void CDrawObj::Serialize(ArchiveWriter &out) const
{
    out.Write(&mPosition, sizeof(mPosition));
    out.WriteU16(mPenOn ? 1 : 0);
    out.Write(&mPen, sizeof(mPen));
    out.WriteU16(mBrushOn ? 1 : 0);
    out.Write(&mBrush, sizeof(mBrush));
}

bool CDrawObj::Serialize(ArchiveReader &in)
{
    RECT position;
    std::uint16_t penOn = 0, brushOn = 0;
    LOGPEN pen;
    LOGBRUSH brush;
    if (!in.ReadExact(&position, sizeof(position)) || !in.ReadU16(penOn) ||
        !in.ReadExact(&pen, sizeof(pen)) || !in.ReadU16(brushOn) || !in.ReadExact(&brush, sizeof(brush)))
        return false;
    mPosition = position;
    mPenOn = penOn != 0;
    mPen = pen;
    mBrushOn = brushOn != 0;
    mBrush = brush;
    return true;
}

int CDrawObj::HandleCount() const
{
    return 8;
}

POINT CDrawObj::HandlePoint(int handle) const
{
    const RECT &r = mPosition;
    // Halving in 64 bits: an extreme rectangle must not overflow.
    const auto xc = std::int32_t(r.left + (std::int64_t(r.right) - r.left) / 2);
    const auto yc = std::int32_t(r.top + (std::int64_t(r.bottom) - r.top) / 2);
    const POINT points[8] = {{r.left, r.top},     {xc, r.top},    {r.right, r.top},   {r.right, yc},
                             {r.right, r.bottom}, {xc, r.bottom}, {r.left, r.bottom}, {r.left, yc}};
    return points[validHandle(handle) - 1];
}

Qt::CursorShape CDrawObj::HandleCursor(int handle) const
{
    return kHandleCursors[validHandle(handle) - 1];
}

void CDrawObj::SetOutlineColor(COLORREF color)
{
    mPen.lopnColor = color;
}

void CDrawObj::SetBrushColor(COLORREF color)
{
    mBrush.lbColor = color;
}

void CDrawObj::Paint(QPainter &) const {}

void CDrawObj::PaintHandles(QPainter &painter, int state) const
{
    if (state != TrackerState::Selected && state != TrackerState::Active)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    for (int n = 1; n <= HandleCount(); ++n) {
        const POINT p = HandlePoint(n);
        if (p.x < -kFarAway || p.x > kFarAway || p.y < -kFarAway || p.y > kFarAway)
            continue;
        painter.fillRect(
            QRect(p.x - kHandleDrawHalf, p.y - kHandleDrawHalf, kHandleDrawSize, kHandleDrawSize), Qt::black);
    }
    painter.restore();
}

void CDrawObj::Place(const RECT &rect, const PreviewGeometry *view)
{
    if (!view) {
        mPosition = rect;
        return;
    }
    const float s = SaneScale(view->scale);
    if (view->hasPicture) {
        mOffsets = OffsetsFromPreview(rect, mAnchor, view->picture, s);
        mPosition = PreviewBox(mOffsets, mAnchor, view->picture, s);
    } else {
        mOffsets = OffsetsFromPreviewArea(rect, view->preview, s);
        mPosition = rect;
    }
}

int CDrawObj::HitTest(POINT point, const PreviewGeometry *, bool selected) const
{
    if (!selected)
        return PtInRect(mPosition, point) ? 1 : 0;
    // On a box a few pixels high the squares overlap: the handle whose point
    // is nearest wins, so a press on a corner takes the corner and not the
    // side handle whose square happens to reach it.
    int best = 0;
    std::int64_t bestDistance = kHandleDrawHalf + 1;
    for (int n = 1; n <= HandleCount(); ++n) {
        const POINT p = HandlePoint(n);
        const std::int64_t distance =
            std::max(std::abs(std::int64_t(point.x) - p.x), std::abs(std::int64_t(point.y) - p.y));
        if (distance < bestDistance) {
            best = n;
            bestDistance = distance;
        }
    }
    return best;
}

bool CDrawObj::IntersectsRect(const RECT &rect) const
{
    return !IsRectEmpty(IntersectRect(mPosition, rect));
}

void CDrawObj::DragHandleTo(int handle, POINT point, const PreviewGeometry *view)
{
    RECT r = mPosition;
    const int h = validHandle(handle);
    if (h == 1 || h == 7 || h == 8)
        r.left = point.x;
    if (h == 3 || h == 4 || h == 5)
        r.right = point.x;
    if (h == 1 || h == 2 || h == 3)
        r.top = point.y;
    if (h == 5 || h == 6 || h == 7)
        r.bottom = point.y;
    Place(r, view);
}
