// collection/viewer/full_screen_view.cpp
#include "collection/viewer/full_screen_view.h"

#include "caption/caption_geometry.h"
#include "caption/caption_placeholders.h"
#include "caption/caption_preview.h"
#include "caption/caption_source.h"
#include "caption/preview_loader.h"
#include "collection/viewer/picture_sequence.h"
#include "platform/checkerboard.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {

const QColor kBackground(192, 200, 192);

RECT toRect(const QRect &r)
{
    return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

QRect toQRect(const RECT &r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

QSize screenSize(const QWidget *w)
{
    const QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1920, 1080);
}

} // namespace

CFullScreenView::CFullScreenView(PictureSequence &sequence, const CaptionSource *caption, QWidget *parent,
                                 bool upright)
    : QDialog(parent)
    , mSequence(sequence)
    , mCaption(caption)
    , mMode(caption ? ViewerMode::Design : ViewerMode::Browser)
    , mLoader(new PreviewLoader(this))
    , mTimer(new QTimer(this))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowState(Qt::WindowFullScreen);
    mLoader->SetUpright(upright);
    connect(mLoader, &PreviewLoader::loaded, this, &CFullScreenView::onLoaded);
    connect(mTimer, &QTimer::timeout, this, &CFullScreenView::Tick);
    mTimer->start(1000);
    load(mSequence.Current());
}

CFullScreenView::~CFullScreenView() = default;

QSize CFullScreenView::PictureSize() const
{
    return mImage.isNull() ? QSize() : TurnedSize(mPicture.fullSize, mRotation);
}

void CFullScreenView::WaitForPicture()
{
    mLoader->WaitForIdle();
    QCoreApplication::sendPostedEvents(mLoader);
}

void CFullScreenView::Tick()
{
    if (++mTicks != kViewerHelpSeconds)
        return;
    mTimer->stop();
    mShowHelp = false;
    update();
}

void CFullScreenView::Step(ViewerStep step)
{
    const int target = ViewerStepTarget(mMode, step, mSequence.Current(), mSequence.Count());
    if (target < 0)
        return;
    mSequence.SetCurrent(target);
    load(target);
}

void CFullScreenView::load(int index)
{
    if (index < 0 || index >= mSequence.Count())
        return;
    mIndex = index;
    mRotation = mSequence.RotationAt(index);
    mLoader->Request(mSequence.PathAt(index), mRotation, screenSize(this));
}

void CFullScreenView::onLoaded(const PreviewPicture &picture)
{
    mPicture = picture;
    mImage = picture.IsValid() ? TurnImage(picture.image, mRotation) : QImage();
    mScaled = QImage();
    update();
}

void CFullScreenView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageUp: Step(ViewerStep::Previous); break;
    case Qt::Key_PageDown: Step(ViewerStep::Next); break;
    case Qt::Key_Home: Step(ViewerStep::First); break;
    case Qt::Key_End: Step(ViewerStep::Last); break;
    default: break;
    }
    QDialog::keyPressEvent(event);
}

void CFullScreenView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta < 0)
        Step(ViewerStep::Next);
    else if (delta > 0)
        Step(ViewerStep::Previous);
    event->accept();
}

void CFullScreenView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        reject();
}

void CFullScreenView::paintEvent(QPaintEvent *)
{
    // Drawn off screen first and shown in one piece: no flicker.
    QImage frame(size(), QImage::Format_RGB32);
    {
        QPainter off(&frame);
        PaintView(off, size());
    }
    QPainter p(this);
    p.drawImage(0, 0, frame);
}

void CFullScreenView::PaintView(QPainter &painter, QSize size)
{
    painter.fillRect(QRect(QPoint(0, 0), size), kBackground);
    const QSize picture = PictureSize();
    if (!picture.isEmpty()) {
        const RECT d =
            FitPictureRect(picture.width(), picture.height(), RECT{0, 0, size.width(), size.height()});
        const QRect shown = toQRect(d);
        if (mScaled.size() != shown.size())
            mScaled = OverCheckerboard(
                shown.size() == mImage.size()
                    ? mImage
                    : mImage.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        painter.drawImage(shown.topLeft(), mScaled);
        if (mMode == ViewerMode::Design)
            paintCaption(painter, shown);
    } else if (!mPicture.error.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 0, size.width(), size.height() / 3), Qt::AlignCenter | Qt::TextWordWrap,
                         tr("This picture cannot be shown: %1\n%2").arg(mPicture.error, mPicture.path));
    }
    if (mShowHelp)
        paintHelp(painter, size);
}

void CFullScreenView::paintCaption(QPainter &painter, const QRect &shown)
{
    std::optional<CaptionSettings> caption = mCaption ? mCaption->ExportCaption() : std::nullopt;
    if (!caption)
        return;
    // The fields show what the export would write for this picture; the
    // position in the sequence stands in for the export's running number.
    if (hasPlaceholders(caption->text)) {
        if (mFacts.filePath != mPicture.path)
            mFacts = ReadPictureFacts(mPicture.path);
        mFacts.counter = mIndex + 1;
        mFacts.width = PictureSize().width();
        mFacts.height = PictureSize().height();
        caption->text = ExpandPlaceholders(caption->text, mFacts);
    }
    const float m = float(shown.width()) / float(PictureSize().width());
    PaintCaptionOnScreen(painter, *caption, toRect(shown), m);
}

void CFullScreenView::paintHelp(QPainter &painter, QSize size)
{
    painter.save();
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 1.5);
    font.setBold(true);
    painter.setFont(font);
    QString text = kViewerHelpText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect measured = painter.fontMetrics().boundingRect(QRect(10, 10, 490, 190), Qt::AlignCenter, text);
    const QRect at((size.width() - measured.width()) / 2, (size.height() - measured.height()) / 2,
                   measured.width(), measured.height());
    painter.setPen(Qt::black);
    painter.drawText(at.translated(1, 1), Qt::AlignCenter, text);
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(at, Qt::AlignCenter, text);
    painter.restore();
}
