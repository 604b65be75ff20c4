// imagelib/metafile/metafile_player.h
#pragma once

#include "imagelib/metafile/metafile_state.h"

#include <QFont>
#include <QHash>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <cstdint>
#include <set>
#include <vector>

class MetaCanvas;
class QPainter;

// One run of text of TextOut, ExtTextOut and their EMF forms.
struct MetaTextRun
{
    QPointF reference; // logical
    QString text;
    std::vector<double> dx;    // logical advance after each character, or empty
    std::uint32_t options = 0; // ETO_ flags
    QRectF rect;               // logical; used with ETO_OPAQUE / ETO_CLIPPED
};

// One bit-block transfer: a source picture (or none, for pattern-only
// operations) stretched onto a logical rectangle with a raster operation.
struct MetaBlit
{
    QRectF dest;   // logical x, y, width, height; negative sizes mirror
    QRectF source; // source pixels, from the top-left of image
    QImage image;  // top-down; null when the operation takes no source
    std::uint32_t rop = 0x00CC0020;
    bool monochrome = false;     // a one-bit source drawn in text and background colours
    double constantAlpha = 1.0;  // AlphaBlend
    bool transparentKey = false; // TransparentBlt
    QRgb key = 0;
};

// Plays the drawing operations of a metafile onto a canvas: the drawing
// state with its save stack, the object table, the mapping from logical
// units to picture pixels, the path bracket of EMF and clipping. The WMF and
// EMF players turn records into calls of these operations.
class MetaPlayer
{
  public:
    // deviceToPicture maps the metafile's device units onto the canvas.
    MetaPlayer(MetaCanvas &canvas, const QTransform &deviceToPicture);
    virtual ~MetaPlayer() = default;

    const MetaDcState &state() const { return mState; }
    MetaDcState &state() { return mState; }

    // Logical units to picture pixels.
    QTransform toPicture() const { return mState.mapping.toDevice() * mDeviceToPicture; }
    const QTransform &deviceToPicture() const { return mDeviceToPicture; }

    // Objects. WMF puts a new object into the lowest free slot; EMF names it.
    void setObjectLimit(std::uint32_t limit) { mObjectLimit = limit; }
    void addObject(MetaObject object);
    void setObject(std::uint32_t index, MetaObject object);
    void selectObject(std::uint32_t index);
    // Takes an object into the state as selecting it would.
    void selectObjectValue(const MetaObject &object);
    void deleteObject(std::uint32_t index);
    const MetaObject *object(std::uint32_t index) const;
    // Bytes of pattern pictures a metafile may create; beyond, patterns
    // become plain brushes.
    bool allowPattern(const QImage &pattern);
    // Charges the decoding of a bitmap of that many pixels; false when the
    // budget is spent and the bitmap is better left alone.
    bool affordBitmap(std::uint64_t pixels);

    // Saved states
    void saveDc();
    void restoreDc(std::int32_t which);

    // Lines and shapes, logical coordinates
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF &points);
    void polylineTo(const QPolygonF &points);
    void polygon(const QPolygonF &points);
    void polyPolygon(const std::vector<QPolygonF> &polygons);
    void polyPolyline(const std::vector<QPolygonF> &lines);
    void polyBezier(const QPolygonF &points, bool fromCurrent);
    void rectangle(const QRectF &box);
    void roundRect(const QRectF &box, QSizeF corner);
    void ellipse(const QRectF &box);
    enum class ArcKind { Arc, Chord, Pie, ArcTo };
    void arc(ArcKind kind, const QRectF &box, QPointF start, QPointF end);
    void setPixel(QPointF p, const QColor &colour);
    // An outline in logical units, drawn with the pen and filled with the
    // brush as asked, or added to the open path.
    void strokeAndFill(const QPainterPath &logical, bool fill, bool stroke);

    // Regions in picture pixels filled, framed or inverted.
    void fillRegion(const QRegion &region, const MetaBrush &brush);
    void invertRegion(const QRegion &region);
    // The border of a region, frame width and height in logical units.
    void frameRegion(const QRegion &region, const MetaBrush &brush, QSizeF frame);
    // An outline in logical units filled with a brush in picture pixels
    // (gradients), without the pen.
    void fillLogical(const QPainterPath &logical, const QBrush &brush);
    // A WMF region object's rectangles in picture pixels.
    QRegion regionToPicture(const MetaRegion &region);
    // Rectangles and outlines in picture pixels as regions within the picture.
    QRegion regionFromRects(const QList<QRect> &rects);
    QRegion regionFromPath(const QPainterPath &path);

    void text(const MetaTextRun &run);
    // Text of a record in the selected font's character set, or (wide)
    // with the symbol font's codes made Unicode.
    QString textFromBytes(const std::uint8_t *bytes, std::size_t count) const;
    QString textFromWide(const QString &text) const;
    void blit(const MetaBlit &blit);
    void patBlt(const QRectF &dest, std::uint32_t rop);

    // Clipping; rectangles in logical units, regions in picture pixels.
    void intersectClipRect(const QRectF &rect);
    void excludeClipRect(const QRectF &rect);
    void selectClipRegion(const QRegion *region, std::uint32_t mode);
    void offsetClip(QPointF logicalDelta);

    // The path bracket of EMF.
    void beginPath();
    void endPath() { mInPath = false; }
    void abortPath();
    void closeFigure();
    void fillPath(bool fill, bool stroke);
    void widenPath();
    void selectClipPath(std::uint32_t mode);

    // A colour reference, palette indices resolved through the selected palette.
    QColor colour(std::uint32_t colorref) const;

    // Largest saved-state depth and object table size a metafile may reach.
    static constexpr std::size_t kMaxSavedStates = 1024;
    static constexpr std::uint32_t kMaxObjects = 65536;

  protected:
    MetaCanvas &mCanvas;

  private:
    // Drawing helpers (metafile_draw.cpp)
    QPainterPath mapPath(const QPainterPath &logical, const QTransform &t) const;
    QPointF mapPoint(QPointF logical) const;
    void drawPicturePath(QPainterPath path, bool fill, bool stroke);
    QPen makePen(const QTransform &t) const;
    QBrush makeBrush(const MetaBrush &brush) const;
    void applyRop2(QPainter &painter) const;
    void addToPath(const QPainterPath &logical);
    QPainterPath arcPath(ArcKind kind, const QRectF &box, QPointF start, QPointF end) const;

    // Text helpers (metafile_text.cpp)
    QFont fontFor(const LOGFONT &lf);
    QFont pictureFont(const QTransform &t);

    // Clip helpers
    void setClip(const QRegion &region);
    QRegion currentClipOrAll() const;
    QRect toPictureRect(const QRectF &logical) const;

    MetaDcState mState;
    std::vector<MetaDcState> mSaved;
    std::vector<MetaObject> mObjects;
    std::set<std::uint32_t> mFreeSlots;
    std::uint32_t mObjectLimit = kMaxObjects;
    std::uint64_t mPatternBytes = 0;
    QTransform mDeviceToPicture;
    bool mInPath = false;
    QPainterPath mPath; // picture pixels
    QHash<QByteArray, QFont> mFonts;
};
