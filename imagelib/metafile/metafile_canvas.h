// imagelib/metafile/metafile_canvas.h
#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QRegion>

#include <cstdint>
#include <memory>

struct MetaDcState;

// The picture a metafile is played onto, in picture pixels; or, when
// measuring, only the union of what would have been drawn. It also keeps the
// budget of drawing work, so that a small hostile file cannot keep a decoder
// busy for minutes: every drawing is charged the area it covers and the
// points it has, and once the budget is spent nothing more is drawn.
class MetaCanvas
{
  public:
    // Painting onto a white picture of this size; isNull() of image() when
    // the memory could not be had.
    explicit MetaCanvas(QSize size);
    // Measuring: nothing is drawn.
    MetaCanvas();
    ~MetaCanvas();
    MetaCanvas(const MetaCanvas &) = delete;
    MetaCanvas &operator=(const MetaCanvas &) = delete;

    bool measuring() const { return !mPainter; }
    // Union of the bounds of everything drawn while measuring.
    QRectF measured() const { return mMeasured; }
    const QImage &image() const { return mImage; }
    QRectF rect() const { return QRectF(mImage.rect()); }

    // Starts one drawing whose marks lie within bounds (picture pixels), at
    // a cost of its covered area plus extraCost. Returns the painter, with
    // identity transform, source-over composition and the clip of state, or
    // null when there is nothing to draw: measuring, outside the picture or
    // its clip, or the budget spent.
    QPainter *begin(const QRectF &bounds, const MetaDcState &state, double extraCost = 0);

    // A number naming a new clip region, never used before on this canvas.
    std::uint64_t newClipSerial() { return ++mClipSerials; }

    // Charges work that is not a drawing (records, objects, clip changes).
    void charge(double cost) { mWork += cost; }
    bool exhausted() const { return mWork > mBudget; }

    // The rectangle drawings are cut to (imagelib/metafile/metafile_cut.h):
    // the picture and a margin beyond it wider than a pen's marks reach,
    // margin being that reach in pixels.
    QRectF reach(double margin) const;

    // Largest coordinate (in pixels, either sign) a drawing may reach; points
    // beyond are pulled back, far enough away that nothing visible changes.
    static constexpr double kCoordLimit = 1 << 22;

  private:
    void applyClip(const MetaDcState &state);

    QImage mImage;
    std::unique_ptr<QPainter> mPainter;
    QRectF mMeasured;
    double mWork = 0;
    double mBudget = 0;
    std::uint64_t mClipSerial = ~std::uint64_t(0); // the clip the painter has
    std::uint64_t mClipSerials = 0;
};
