// imagelib/metafile/emfplus_player.h
#pragma once

#include "imagelib/metafile/metafile_bytes.h"
#include "imagelib/metafile/metafile_state.h"

#include <QBrush>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainterPath>
#include <QTransform>

#include <cstdint>
#include <map>
#include <variant>
#include <vector>

class MetaCanvas;

// EMF+ objects as the records draw with them.
struct PlusBrush
{
    QBrush brush; // gradients in world units
};

struct PlusPen
{
    double width = 0; // world units; 0 draws one pixel
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    double miterLimit = 10;
    Qt::PenStyle style = Qt::SolidLine;
    QList<qreal> dashes; // in pen widths
    QBrush brush;
};

struct PlusFont
{
    double emSize = 12;     // in unit
    std::uint32_t unit = 3; // points
    std::int32_t style = 0; // bold 1, italic 2, underline 4, strike-out 8
    QString family;
};

struct PlusFormat
{
    std::uint32_t alignment = 0; // near, centre, far
    std::uint32_t lineAlignment = 0;
};

using PlusObject =
    std::variant<std::monostate, PlusBrush, PlusPen, QPainterPath, PlusFont, QImage, PlusFormat>;

// Plays the records of EMF+ (the drawing records a metafile carries in its
// comments, in world units of floating point) onto the canvas of the EMF
// player. Records it does not know, objects it cannot read (regions, nested
// metafiles, effects) and records too short for what they claim are skipped.
class EmfPlusPlayer
{
  public:
    // plainDrawing: whether the metafile's plain records draw anything. A
    // dual metafile (one that says it draws the same with both kinds of
    // records) is then drawn by its plain records alone.
    EmfPlusPlayer(MetaCanvas &canvas, const QTransform &deviceToPicture, bool plainDrawing);

    // The records of one comment (after its "EMF+" tag).
    void play(const MetaBytes &records);

  private:
    using Handler = void (EmfPlusPlayer::*)(std::uint16_t flags, const MetaBytes &data);
    struct Entry
    {
        std::uint16_t type;
        Handler handler;
    };
    static const Entry kEntries[];

    struct State
    {
        QTransform world;
        std::uint32_t pageUnit = 2; // pixels
        double pageScale = 1;
        bool clipped = false;
        QRegion clip; // picture pixels
        std::uint64_t clipSerial = 0;
    };

    // Coordinates
    QTransform toPicture() const;
    double unitToWorld(std::uint32_t unit) const;
    // Points of 32-bit floats, 16-bit integers or relative steps, by the
    // record's flags.
    static QPolygonF pointsAt(const MetaBytes &d, std::uint64_t at, std::uint32_t count, std::uint16_t flags);
    static QRectF rectAt(const MetaBytes &d, std::uint64_t at, bool compressed);

    // Objects (emfplus_objects.cpp)
    void onObject(std::uint16_t flags, const MetaBytes &data);
    PlusObject readObject(std::uint32_t type, const MetaBytes &data);
    QBrush readBrush(const MetaBytes &d);
    PlusPen readPen(const MetaBytes &d);
    static std::uint64_t readPenOptions(const MetaBytes &d, std::uint32_t flags, PlusPen &pen);
    static QPainterPath readPath(const MetaBytes &d);
    static PlusFont readFont(const MetaBytes &d);
    QImage readImage(const MetaBytes &d);
    const PlusObject *object(std::uint32_t id) const;
    QBrush brushFor(std::uint16_t flags, std::uint32_t value) const;
    const PlusPen *penFor(std::uint32_t id) const;

    // Drawing (emfplus_player.cpp)
    void fill(const QPainterPath &world, const QBrush &brush);
    void stroke(const QPainterPath &world, const PlusPen &pen);
    void onHeader(std::uint16_t flags, const MetaBytes &d);
    void onClear(std::uint16_t flags, const MetaBytes &d);
    void onFillRects(std::uint16_t flags, const MetaBytes &d);
    void onDrawRects(std::uint16_t flags, const MetaBytes &d);
    void onFillPolygon(std::uint16_t flags, const MetaBytes &d);
    void onDrawLines(std::uint16_t flags, const MetaBytes &d);
    void onFillEllipse(std::uint16_t flags, const MetaBytes &d);
    void onDrawEllipse(std::uint16_t flags, const MetaBytes &d);
    void onFillPie(std::uint16_t flags, const MetaBytes &d);
    void onDrawPie(std::uint16_t flags, const MetaBytes &d);
    void onDrawArc(std::uint16_t flags, const MetaBytes &d);
    void onFillPath(std::uint16_t flags, const MetaBytes &d);
    void onDrawPath(std::uint16_t flags, const MetaBytes &d);
    void onFillClosedCurve(std::uint16_t flags, const MetaBytes &d);
    void onDrawClosedCurve(std::uint16_t flags, const MetaBytes &d);
    void onDrawCurve(std::uint16_t flags, const MetaBytes &d);
    void onDrawBeziers(std::uint16_t flags, const MetaBytes &d);
    QPainterPath piePath(const MetaBytes &d, std::uint16_t flags, bool pie, bool closed) const;

    // Images, text, transforms and clipping (emfplus_state.cpp)
    void onDrawImage(std::uint16_t flags, const MetaBytes &d);
    void onDrawImagePoints(std::uint16_t flags, const MetaBytes &d);
    void drawImage(const QImage &image, const QRectF &source, const QTransform &sourceToWorld);
    void onDrawString(std::uint16_t flags, const MetaBytes &d);
    void onDrawDriverString(std::uint16_t flags, const MetaBytes &d);
    QFont pictureFont(const PlusFont &font, double pixels);
    // A run of text in its layout box, or from a point: the top of its em
    // square, or its baseline.
    void drawRun(const QString &text, const QPointF &worldAt, const QBrush &brush, const PlusFont &font,
                 const QRectF *box, const PlusFormat *format, bool atBaseline = false);
    void onSave(std::uint16_t flags, const MetaBytes &d);
    void onRestore(std::uint16_t flags, const MetaBytes &d);
    void onBeginContainer(std::uint16_t flags, const MetaBytes &d);
    void onSetWorldTransform(std::uint16_t flags, const MetaBytes &d);
    void onResetWorldTransform(std::uint16_t flags, const MetaBytes &d);
    void onMultiplyWorldTransform(std::uint16_t flags, const MetaBytes &d);
    void onTranslateWorldTransform(std::uint16_t flags, const MetaBytes &d);
    void onScaleWorldTransform(std::uint16_t flags, const MetaBytes &d);
    void onRotateWorldTransform(std::uint16_t flags, const MetaBytes &d);
    void onSetPageTransform(std::uint16_t flags, const MetaBytes &d);
    void onResetClip(std::uint16_t flags, const MetaBytes &d);
    void onSetClipRect(std::uint16_t flags, const MetaBytes &d);
    void onSetClipPath(std::uint16_t flags, const MetaBytes &d);
    void onOffsetClip(std::uint16_t flags, const MetaBytes &d);
    void combineTransform(std::uint16_t flags, const QTransform &t);
    void combineClip(std::uint16_t flags, const QPainterPath &world, bool rectangle);
    MetaDcState clipState() const;

    MetaCanvas &mCanvas;
    QTransform mDeviceToPicture;
    double mDpiX = 96;
    double mDpiY = 96;
    bool mPlainDrawing = false;
    bool mEnabled = false; // set by the header
    State mState;
    std::map<std::uint32_t, State> mSaved;
    std::vector<PlusObject> mObjects;
    QHash<QByteArray, QFont> mFonts;
    // An object arriving in pieces: its id and type, and the bytes so far.
    std::uint32_t mPartialId = ~0u;
    std::uint32_t mPartialType = 0;
    std::uint64_t mPartialTotal = 0;
    std::vector<std::uint8_t> mPartial;
};
