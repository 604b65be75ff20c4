// caption/draw_obj.h
#pragma once

#include "caption/caption_settings.h"
#include "caption/preview_geometry.h"
#include "platform/win_types.h"

#include <Qt>

#include <cstdint>
#include <memory>

class ArchiveReader;
class ArchiveWriter;
class QPainter;

// How a drawing object's handles are shown.
namespace TrackerState {
constexpr int Normal = 0;
constexpr int Selected = 1;
constexpr int Active = 2;
} // namespace TrackerState

// A drawing object on the Batch Settings page's preview. It does not keep its place
// in picture coordinates but as four offsets, in picture pixels, from one
// corner of the picture (the anchor), so the same box sits at the same
// distance from that corner on every picture of a batch. position is the
// on-screen rectangle in preview pixels derived from the offsets; it is
// never normalised and may be inverted after a resize. UI thread only.
class CDrawObj
{
  public:
    // position = rect, anchor top-left, offsets as Place(rect, view) computes
    // them (view may be null: the offsets stay 0). Pen: inside-frame,
    // width 1, black; brush: solid, 0xC0C0C0; both on.
    CDrawObj(const RECT &rect, const PreviewGeometry *view);
    virtual ~CDrawObj();

    virtual const char *GetRuntimeClassName() const { return "CDrawObj"; }

    // Stream form: position (16 bytes), pen-on (16-bit word), LOGPEN (16
    // bytes), brush-on (word), LOGBRUSH (12 bytes), little-endian; the words
    // widen to flags on reading. Reading returns false on a short stream;
    // fields read before the end may then have been taken over.
    virtual void Serialize(ArchiveWriter &out) const;
    virtual bool Serialize(ArchiveReader &in);

    // Handles are numbered 1..HandleCount clockwise from the top-left corner:
    // 1 (left, top), 2 (centre, top), 3 (right, top), 4 (right, centre),
    // 5 (right, bottom), 6 (centre, bottom), 7 (left, bottom), 8 (left, centre).
    // Any other number means handle 1.
    virtual int HandleCount() const;
    virtual POINT HandlePoint(int handle) const;
    virtual Qt::CursorShape HandleCursor(int handle) const;

    virtual void SetOutlineColor(COLORREF color);
    virtual void SetBrushColor(COLORREF color);

    // Draws the object's own shape; a plain drawing object has none.
    virtual void Paint(QPainter &painter) const;
    // For TrackerState::Selected or Active: inverts a 7 x 7 square centred on
    // every handle point.
    virtual void PaintHandles(QPainter &painter, int state) const;

    // Without a view: position = rect. With one: the offsets become rect's
    // distances from the anchor corner of the shown picture (from the
    // preview area's top-left corner while no picture is shown) divided by
    // the display scale, and position becomes what the next preview paint
    // derives from them, so that a drag keeps up with the pointer however
    // many mouse moves arrive between two paints.
    virtual void Place(const RECT &rect, const PreviewGeometry *view);
    // selected: the number of the handle whose 7 x 7 square (handle point
    // -3 to +3, the square PaintHandles draws) holds the point, the nearest
    // handle point (largest of the x and y distances) where squares overlap
    // and the lower number on a tie; else 0. Otherwise 1 when position holds
    // the point, else 0.
    virtual int HitTest(POINT point, const PreviewGeometry *view, bool selected) const;
    // Whether the normalised position and the normalised rect overlap.
    virtual bool IntersectsRect(const RECT &rect) const;
    // Moves one handle to the point (edges of that handle only) and places
    // the result; the rectangle is not normalised.
    virtual void DragHandleTo(int handle, POINT point, const PreviewGeometry *view);

    const RECT &GetPosition() const { return mPosition; }
    void SetPosition(const RECT &position) { mPosition = position; }
    const CaptionOffsets &GetOffsets() const { return mOffsets; }
    void SetOffsets(const CaptionOffsets &offsets) { mOffsets = offsets; }
    std::int32_t GetAnchor() const { return mAnchor; }
    // Only changes the corner; call Place(GetPosition(), view) afterwards to
    // keep the box where it is on screen.
    void SetAnchor(std::int32_t anchor) { mAnchor = anchor; }

    bool IsPenOn() const { return mPenOn; }
    void SetPenOn(bool on) { mPenOn = on; }
    const LOGPEN &GetPen() const { return mPen; }
    void SetPen(const LOGPEN &pen) { mPen = pen; }
    bool IsBrushOn() const { return mBrushOn; }
    void SetBrushOn(bool on) { mBrushOn = on; }
    const LOGBRUSH &GetBrush() const { return mBrush; }
    void SetBrush(const LOGBRUSH &brush) { mBrush = brush; }

  private:
    RECT mPosition;
    CaptionOffsets mOffsets;
    std::int32_t mAnchor = CaptionAnchor::TopLeft;
    bool mPenOn = true;
    LOGPEN mPen;
    bool mBrushOn = true;
    LOGBRUSH mBrush;
};

// Makes a drawing object from its run-time class name ("CDrawObj",
// "CDrawRect", "CDrawText") with an empty rectangle and no view, ready to be
// read from a stream; null for any other name.
std::unique_ptr<CDrawObj> CreateDrawObject(const char *className);
