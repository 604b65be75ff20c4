// imagelib/metafile/wmf_player.h
#pragma once

#include "imagelib/metafile/metafile_bytes.h"
#include "imagelib/metafile/metafile_player.h"

#include <functional>
#include <optional>

struct MetaBitmap;

// Plays the records of a Windows metafile (16-bit coordinates, parameters
// stored last to first) through MetaPlayer. Records it does not know, and
// records too short for what they claim, are skipped.
class WmfPlayer : public MetaPlayer
{
  public:
    using MetaPlayer::MetaPlayer;

    // Called every few hundred records with the share of the file played
    // (0..100); returning false stops playing.
    using Tick = std::function<bool(int percent)>;

    // Plays the records from offset start to the end record or the end of
    // the bytes. False when tick asked to stop.
    bool play(const MetaBytes &file, std::size_t start, const Tick &tick);

    // The window set before the first drawing record, if any: where a
    // metafile without a placeable header meant its picture to be.
    static std::optional<QRectF> firstWindow(const MetaBytes &file, std::size_t start);

    // Largest number of records played from one file.
    static constexpr std::uint64_t kMaxRecords = 1 << 24;

  private:
    using Handler = void (WmfPlayer::*)(const MetaBytes &params);
    struct Entry
    {
        std::uint16_t function;
        Handler handler;
        bool draws;
    };
    static const Entry kEntries[];
    static const Entry *find(std::uint16_t function);

    // The point stored as y then x at byte offset at; the rectangle stored
    // as bottom, right, top, left.
    static QPointF pointAt(const MetaBytes &p, std::uint64_t at);
    static QRectF rectAt(const MetaBytes &p, std::uint64_t at);
    static QPolygonF pointsAt(const MetaBytes &p, std::uint64_t at, std::uint32_t count);

    // State (wmf_player.cpp)
    void onSetBkColor(const MetaBytes &p);
    void onSetTextColor(const MetaBytes &p);
    void onSetBkMode(const MetaBytes &p);
    void onSetMapMode(const MetaBytes &p);
    void onSetRop2(const MetaBytes &p);
    void onSetPolyFillMode(const MetaBytes &p);
    void onSetStretchMode(const MetaBytes &p);
    void onSetTextAlign(const MetaBytes &p);
    void onSetTextCharExtra(const MetaBytes &p);
    void onSetWindowOrg(const MetaBytes &p);
    void onSetWindowExt(const MetaBytes &p);
    void onSetViewportOrg(const MetaBytes &p);
    void onSetViewportExt(const MetaBytes &p);
    void onOffsetWindowOrg(const MetaBytes &p);
    void onOffsetViewportOrg(const MetaBytes &p);
    void onScaleWindowExt(const MetaBytes &p);
    void onScaleViewportExt(const MetaBytes &p);
    void onSaveDc(const MetaBytes &p);
    void onRestoreDc(const MetaBytes &p);
    void onIntersectClipRect(const MetaBytes &p);
    void onExcludeClipRect(const MetaBytes &p);
    void onOffsetClipRgn(const MetaBytes &p);
    void onSelectClipRegion(const MetaBytes &p);

    // Drawing (wmf_player.cpp)
    void onMoveTo(const MetaBytes &p);
    void onLineTo(const MetaBytes &p);
    void onPolyline(const MetaBytes &p);
    void onPolygon(const MetaBytes &p);
    void onPolyPolygon(const MetaBytes &p);
    void onRectangle(const MetaBytes &p);
    void onRoundRect(const MetaBytes &p);
    void onEllipse(const MetaBytes &p);
    void onArc(const MetaBytes &p);
    void onPie(const MetaBytes &p);
    void onChord(const MetaBytes &p);
    void onSetPixel(const MetaBytes &p);
    void arcRecord(const MetaBytes &p, ArcKind kind);

    // Objects, regions, text and bitmaps (wmf_records.cpp)
    void onCreatePen(const MetaBytes &p);
    void onCreateBrush(const MetaBytes &p);
    void onCreateFont(const MetaBytes &p);
    void onCreatePalette(const MetaBytes &p);
    void onCreatePatternBrush(const MetaBytes &p);
    void onCreateDibPatternBrush(const MetaBytes &p);
    void onCreateRegion(const MetaBytes &p);
    void onSelectObject(const MetaBytes &p);
    void onSelectPalette(const MetaBytes &p);
    void onDeleteObject(const MetaBytes &p);
    void onFillRegion(const MetaBytes &p);
    void onFrameRegion(const MetaBytes &p);
    void onInvertRegion(const MetaBytes &p);
    void onPaintRegion(const MetaBytes &p);
    void onTextOut(const MetaBytes &p);
    void onExtTextOut(const MetaBytes &p);
    void onPatBlt(const MetaBytes &p);
    void onBitBlt(const MetaBytes &p);
    void onStretchBlt(const MetaBytes &p);
    void onDibBitBlt(const MetaBytes &p);
    void onDibStretchBlt(const MetaBytes &p);
    void onStretchDib(const MetaBytes &p);
    void onSetDibToDev(const MetaBytes &p);

    const MetaRegion *regionObject(std::uint16_t index) const;
    bool readDib(const MetaBytes &dib, std::uint32_t usage, MetaBitmap &out, std::uint32_t bandRows = 0);
    bool readBitmap16(const MetaBytes &bitmap, std::uint32_t bitsOffset, MetaBitmap &out);
    void drawBitmap(const MetaBitmap &bitmap, const QRectF &dest, QRectF source, bool sourceFromBottom,
                    std::uint32_t rop);
};
