// imagelib/metafile/emf_player.h
#pragma once

#include "imagelib/metafile/metafile_bytes.h"
#include "imagelib/metafile/metafile_player.h"

#include <functional>
#include <memory>

class EmfPlusPlayer;
struct MetaBitmap;

// Plays the records of an enhanced metafile (32-bit records, logical
// coordinates through a world transform and a mapping mode) through
// MetaPlayer. Records it does not know, and records too short for what they
// claim, are skipped; EMF+ records in comments are left to the plain
// records that accompany them.
class EmfPlayer : public MetaPlayer
{
  public:
    EmfPlayer(MetaCanvas &canvas, const QTransform &deviceToPicture);
    ~EmfPlayer() override;

    // Called every few hundred records with the share of the file played
    // (0..100); returning false stops playing.
    using Tick = std::function<bool(int percent)>;

    // Plays the records from offset start to the end record or the end of
    // the bytes. False when tick asked to stop.
    bool play(const MetaBytes &file, std::size_t start, const Tick &tick);

    static constexpr std::uint64_t kMaxRecords = 1 << 24;

  private:
    // Each handler gets its whole record, type and size included, so the
    // offsets below are those of the record layouts.
    using Handler = void (EmfPlayer::*)(const MetaBytes &r);
    struct Entry
    {
        std::uint32_t type;
        Handler handler;
    };
    static const Entry kEntries[];
    static const Entry *find(std::uint32_t type);
    // Whether any record from start on puts marks on the picture.
    static bool hasDrawing(const MetaBytes &file, std::size_t start);

    static QPointF pointAt(const MetaBytes &r, std::uint64_t at);
    static QRectF rectAt(const MetaBytes &r, std::uint64_t at);
    // count points of 32-bit (wide) or 16-bit coordinates.
    static QPolygonF pointsAt(const MetaBytes &r, std::uint64_t at, std::uint64_t count, bool wide);
    QPolygonF polyPoints(const MetaBytes &r, bool wide) const;
    std::vector<QPolygonF> polyPolyPoints(const MetaBytes &r, bool wide) const;

    // State (emf_player.cpp)
    void onSetWindowExt(const MetaBytes &r);
    void onSetWindowOrg(const MetaBytes &r);
    void onSetViewportExt(const MetaBytes &r);
    void onSetViewportOrg(const MetaBytes &r);
    void onScaleViewportExt(const MetaBytes &r);
    void onScaleWindowExt(const MetaBytes &r);
    void onSetMapMode(const MetaBytes &r);
    void onSetBkMode(const MetaBytes &r);
    void onSetPolyFillMode(const MetaBytes &r);
    void onSetRop2(const MetaBytes &r);
    void onSetStretchMode(const MetaBytes &r);
    void onSetTextAlign(const MetaBytes &r);
    void onSetTextColor(const MetaBytes &r);
    void onSetBkColor(const MetaBytes &r);
    void onSetArcDirection(const MetaBytes &r);
    void onSetMiterLimit(const MetaBytes &r);
    void onSaveDc(const MetaBytes &r);
    void onRestoreDc(const MetaBytes &r);
    void onSetWorldTransform(const MetaBytes &r);
    void onModifyWorldTransform(const MetaBytes &r);
    void onOffsetClipRgn(const MetaBytes &r);
    void onExcludeClipRect(const MetaBytes &r);
    void onIntersectClipRect(const MetaBytes &r);
    void onExtSelectClipRgn(const MetaBytes &r);

    // Drawing and paths (emf_player.cpp)
    void onPolyBezier(const MetaBytes &r);
    void onPolygon(const MetaBytes &r);
    void onPolyline(const MetaBytes &r);
    void onPolyBezierTo(const MetaBytes &r);
    void onPolylineTo(const MetaBytes &r);
    void onPolyPolyline(const MetaBytes &r);
    void onPolyPolygon(const MetaBytes &r);
    void onPolyBezier16(const MetaBytes &r);
    void onPolygon16(const MetaBytes &r);
    void onPolyline16(const MetaBytes &r);
    void onPolyBezierTo16(const MetaBytes &r);
    void onPolylineTo16(const MetaBytes &r);
    void onPolyPolyline16(const MetaBytes &r);
    void onPolyPolygon16(const MetaBytes &r);
    void onPolyDraw(const MetaBytes &r);
    void onPolyDraw16(const MetaBytes &r);
    void onSetPixel(const MetaBytes &r);
    void onMoveTo(const MetaBytes &r);
    void onLineTo(const MetaBytes &r);
    void onAngleArc(const MetaBytes &r);
    void onEllipse(const MetaBytes &r);
    void onRectangle(const MetaBytes &r);
    void onRoundRect(const MetaBytes &r);
    void onArc(const MetaBytes &r);
    void onChord(const MetaBytes &r);
    void onPie(const MetaBytes &r);
    void onArcTo(const MetaBytes &r);
    void onBeginPath(const MetaBytes &r);
    void onEndPath(const MetaBytes &r);
    void onCloseFigure(const MetaBytes &r);
    void onFillPath(const MetaBytes &r);
    void onStrokeAndFillPath(const MetaBytes &r);
    void onStrokePath(const MetaBytes &r);
    void onWidenPath(const MetaBytes &r);
    void onSelectClipPath(const MetaBytes &r);
    void onAbortPath(const MetaBytes &r);
    void onComment(const MetaBytes &r);
    void polyDraw(const QPolygonF &points, const MetaBytes &r, std::uint64_t typesAt);

    // Objects, regions, text and bitmaps (emf_records.cpp)
    void onSelectObject(const MetaBytes &r);
    void onDeleteObject(const MetaBytes &r);
    void onCreatePen(const MetaBytes &r);
    void onExtCreatePen(const MetaBytes &r);
    void onCreateBrush(const MetaBytes &r);
    void onCreateMonoBrush(const MetaBytes &r);
    void onCreateDibPatternBrush(const MetaBytes &r);
    void onCreateFont(const MetaBytes &r);
    void onCreatePalette(const MetaBytes &r);
    void onSelectPalette(const MetaBytes &r);
    void onFillRgn(const MetaBytes &r);
    void onFrameRgn(const MetaBytes &r);
    void onInvertRgn(const MetaBytes &r);
    void onPaintRgn(const MetaBytes &r);
    void onExtTextOutA(const MetaBytes &r);
    void onExtTextOutW(const MetaBytes &r);
    void onSmallTextOut(const MetaBytes &r);
    void onBitBlt(const MetaBytes &r);
    void onStretchBlt(const MetaBytes &r);
    void onMaskBlt(const MetaBytes &r);
    void onSetDiBitsToDevice(const MetaBytes &r);
    void onStretchDiBits(const MetaBytes &r);
    void onAlphaBlend(const MetaBytes &r);
    void onTransparentBlt(const MetaBytes &r);
    void onGradientFill(const MetaBytes &r);
    void gradientRect(const MetaBytes &r, std::uint64_t a, std::uint64_t b, bool horizontal);
    void gradientTriangle(const MetaBytes &r, std::uint64_t a, std::uint64_t b, std::uint64_t c);

    void extTextOut(const MetaBytes &r, bool wide);
    // Region data (header and rectangles in device units) in picture pixels.
    QRegion regionAt(const MetaBytes &r, std::uint64_t at, std::uint64_t bytes);
    bool bitmapAt(const MetaBytes &r, std::uint64_t fields, std::uint32_t usage, bool withAlpha,
                  MetaBitmap &out, std::uint32_t bandRows = 0);
    enum class BlitKind { Bit, Stretch, Alpha, Transparent };
    void stretchBlt(const MetaBytes &r, BlitKind kind);
    void brushFromBitmap(const MetaBytes &r, bool monochrome);

    // Plays the EMF+ records of comments, made when the first one comes.
    std::unique_ptr<EmfPlusPlayer> mPlus;
    bool mPlainDrawing = false;
};
