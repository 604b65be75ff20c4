// caption/preview_view.cpp
#include "caption/preview_view.h"

#include "caption/box_fields.h"
#include "caption/box_tool.h"
#include "caption/caption_geometry.h"
#include "caption/caption_placeholders.h"
#include "caption/preview_backdrop.h"
#include "caption/settings_page_rules.h"
#include "caption/shown_picture.h"
#include "platform/checkerboard.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr QRgb kHoverColor = 0x7798EA; // COLORREF 0xEA9877
constexpr int kCaptionStart = 40;      // where the caption box is made, preview pixels
constexpr int kCaptionStartTaken = 50; // ... when something lies there already
constexpr int kCaptionStartDrag = 40;  // how far the creation tool is dragged

unsigned flagsOf(const QMouseEvent *event)
{
    return mouseFlags(event->buttons(), event->modifiers());
}

POINT toPoint(const QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    return POINT{p.x(), p.y()};
}

CBoxTool *currentTool()
{
    return FindTool(CBoxTool::State().shapeKey);
}

} // namespace

CPreviewView::CPreviewView(QWidget *parent)
    : QWidget(parent)
    , mShown(new ShownPicture(this))
{
    setObjectName(QStringLiteral("preview"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(160, 120);
    connect(mShown, &ShownPicture::loaded, this, &CPreviewView::onLoaded);
    connect(mShown, &ShownPicture::changed, this, &CPreviewView::onPictureChanged);
}

CPreviewView::~CPreviewView() = default;

void CPreviewView::CreateCaptionBox()
{
    DrawToolState &st = CBoxTool::State();
    st = DrawToolState();
    st.shapeKey = kTextBoxToolKey;
    CBoxTool *tool = FindTool(kTextBoxToolKey);
    const int at = ObjectAt(POINT{kCaptionStart, kCaptionStart}) ? kCaptionStartTaken : kCaptionStart;
    tool->OnButtonDown(*this, MK_LBUTTON, POINT{at, at});
    tool->OnButtonUp(*this, MK_LBUTTON, POINT{at + kCaptionStartDrag, at + kCaptionStartDrag});
    st.shapeKey = kPointerToolKey;
    EnableCaptionControls(false);
    Select(Selection().empty() ? CaptionBox() : Selection().front(), false);
}

void CPreviewView::ShowPicture(const QString &path, int degrees)
{
    if (mShown->Show(path, degrees, need()))
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void CPreviewView::SetUpright(bool on)
{
    mShown->SetUpright(on);
}

void CPreviewView::SetRotation(int degrees)
{
    mShown->Turn(degrees);
}

QString CPreviewView::Path() const
{
    return mShown->Path();
}

int CPreviewView::Rotation() const
{
    return mShown->Rotation();
}

bool CPreviewView::HasPicture() const
{
    return !mShown->Turned().isNull();
}

QSize CPreviewView::PictureSize() const
{
    return mShown->Size();
}

void CPreviewView::WaitForPicture()
{
    mShown->WaitForIdle();
}

PreviewGeometry CPreviewView::Geometry() const
{
    const QSize size = HasPicture() ? PictureSize() : QSize();
    return PreviewGeometry{rectOf(rect()), mScale, mPictureRect, HasPicture(), size.width(), size.height()};
}

void CPreviewView::SetCursor(Qt::CursorShape shape)
{
    if (!mShown->IsBusy())
        setCursor(shape);
}

void CPreviewView::EnableCaptionControls(bool on)
{
    emit captionControlsEnabled(on);
}

void CPreviewView::InvalidateArea(const RECT &area)
{
    update(qRectOf(area).intersected(rect()));
}

void CPreviewView::ShowCaptionInControls(const CDrawText &box)
{
    emit captionSelected(box);
}

void CPreviewView::onLoaded(const PreviewPicture &picture)
{
    unsetCursor();
    emit pictureLoaded(picture.IsValid() ? PropertiesText(picture.fullSize.width(), picture.fullSize.height(),
                                                          picture.bitsPerPixel)
                                         : QString());
}

void CPreviewView::onPictureChanged()
{
    updatePictureGeometry();
    requestIfBlurred();
    update();
}

// I and s follow the picture's own size, whatever size it was decoded at.
void CPreviewView::updatePictureGeometry()
{
    if (!HasPicture()) {
        mPictureRect = RECT{};
        mScale = 1.0f;
        return;
    }
    const QSize size = PictureSize();
    mPictureRect = FitPictureRect(size.width(), size.height(), rectOf(rect().adjusted(1, 1, -1, -1)));
    mScale = SaneScale(float(std::abs(mPictureRect.right - mPictureRect.left)) / float(size.width()));
    // The boxes follow at once, so that the pointer finds them where the
    // next paint will draw them.
    PlaceBoxes();
}

void CPreviewView::PlaceBoxes()
{
    const PreviewGeometry view = Geometry();
    for (const auto &obj : Objects()) {
        if (auto *box = dynamic_cast<CDrawText *>(obj.get())) {
            const PreviewGeometry design = DesignView(view, box->GetStyle());
            box->SetPosition(PreviewBox(box->GetOffsets(), box->GetAnchor(), view.picture, design.scale));
        }
    }
    update();
    emit boxesPlaced();
}

QSizeF CPreviewView::FieldPictureSize() const
{
    return ShownPictureSize(Geometry());
}

QSize CPreviewView::deviceSize(QSize logical) const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(int(std::ceil(logical.width() * ratio)), int(std::ceil(logical.height() * ratio)));
}

// The inside of the frame, in device pixels.
QSize CPreviewView::need() const
{
    return deviceSize(rect().adjusted(1, 1, -1, -1).size());
}

void CPreviewView::requestIfBlurred()
{
    mPixelRatio = devicePixelRatioF();
    mShown->RequestIfBlurred(need(), deviceSize(qRectOf(NormalizeRect(mPictureRect)).size()));
}

void CPreviewView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updatePictureGeometry();
    requestIfBlurred();
}

// The turned picture scaled once to the device pixels it covers; every
// repaint after a mouse move draws it as it is.
const QImage &CPreviewView::scaledPicture(const QRect &shown)
{
    const QImage &turned = mShown->Turned();
    const QSize device = deviceSize(shown.size());
    if (mScaled.isNull() || mScaled.size() != device || mScaledFrom != turned.cacheKey()) {
        const QImage scaled = turned.size() == device
                                  ? turned
                                  : turned.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // Transparent parts over the checkerboard, laid once here so that a
        // drag repaints one opaque image; squares of the same screen size at
        // any pixel density.
        mScaled = OverCheckerboard(scaled, qRound(kCheckerCell * devicePixelRatioF()));
        mScaled.setDevicePixelRatio(devicePixelRatioF());
        mScaledFrom = turned.cacheKey();
    }
    return mScaled;
}

// The captions over the picture, the handles of the selection, and the
// outline of an unselected box under the pointer.
void CPreviewView::paintObjects(QPainter &painter)
{
    if (HasPicture()) {
        const PreviewGeometry view = Geometry();
        for (const auto &obj : Objects()) {
            // A box that sizes with the picture is drawn for this picture's
            // size by the box itself (CaptionForPicture), as the export stamps it.
            if (auto *box = dynamic_cast<CDrawText *>(obj.get())) {
                box->SetShownFacts(hasPlaceholders(box->GetText()) ? &shownFacts() : nullptr);
                box->PaintCaption(painter, view);
            }
            if (IsSelected(obj.get()))
                obj->PaintHandles(painter, TrackerState::Selected);
        }
    }
    if (!IsRectEmpty(mHover)) {
        painter.setPen(QPen(QColor(kHoverColor), 2));
        painter.setBrush(Qt::NoBrush);
        const RECT h = mHover;
        const QPoint corners[4] = {
            {h.left, h.top}, {h.right, h.top}, {h.right, h.bottom}, {h.left, h.bottom}};
        painter.drawPolygon(corners, 4);
    }
}

// The file's facts are read once per picture shown; the size follows its turn.
// The preview has no running number: its fields show 1.
const PictureFacts &CPreviewView::shownFacts()
{
    if (mFacts.filePath != mShown->Path())
        mFacts = ReadPictureFacts(mShown->Path());
    mFacts.counter = 1;
    mFacts.width = mShown->Size().width();
    mFacts.height = mShown->Size().height();
    return mFacts;
}

void CPreviewView::paintEvent(QPaintEvent *)
{
    if (devicePixelRatioF() != mPixelRatio)
        requestIfBlurred(); // moved to a screen of another pixel density
    QPainter painter(this);
    PaintPreviewBackdrop(painter, rect(), palette());
    if (HasPicture()) {
        const QRect shown = qRectOf(NormalizeRect(mPictureRect));
        painter.drawImage(shown.topLeft(), scaledPicture(shown));
    } else if (!mShown->Error().isEmpty()) {
        PaintPreviewNotice(painter, rect(), palette(),
                           tr("This picture cannot be shown:\n%1\n\n%2")
                               .arg(mShown->Error(), mShown->Path().section('/', -1)));
    } else if (mShown->IsBusy()) {
        PaintPreviewNotice(painter, rect(), palette(), tr("Loading the picture..."));
    }
    paintObjects(painter);
}

void CPreviewView::mousePressEvent(QMouseEvent *event)
{
    const POINT point = toPoint(event);
    if (event->button() == Qt::LeftButton && HasPicture() && PtInRect(rectOf(rect()), point)) {
        if (CBoxTool *tool = currentTool())
            tool->OnButtonDown(*this, flagsOf(event), point);
        update();
    }
    QWidget::mousePressEvent(event);
}

// A release ends a drag wherever it happens: Qt hands the release to the
// widget that took the press, even outside it.
void CPreviewView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && HasPicture()) {
        const bool dragging = CBoxTool::State().dragMode != DragMode::None;
        if (CBoxTool *tool = currentTool())
            tool->OnButtonUp(*this, flagsOf(event), toPoint(event));
        update();
        if (dragging)
            emit boxEdited(true);
    }
    QWidget::mouseReleaseEvent(event);
}

void CPreviewView::mouseMoveEvent(QMouseEvent *event)
{
    const POINT point = toPoint(event);
    if (!HasPicture() || !PtInRect(rectOf(rect()), point)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const bool dragging = CBoxTool::State().dragMode != DragMode::None;
    if (CBoxTool *tool = currentTool())
        tool->OnMouseMove(*this, flagsOf(event), point);
    if (dragging)
        emit boxEdited(false);
    mHover = RECT{};
    for (const auto &obj : Objects()) {
        if (!IsSelected(obj.get()) && PtInRect(obj->GetPosition(), point)) {
            mHover = obj->GetPosition();
            break;
        }
    }
    update();
    QWidget::mouseMoveEvent(event);
}

void CPreviewView::leaveEvent(QEvent *event)
{
    if (!IsRectEmpty(mHover)) {
        mHover = RECT{};
        update();
    }
    QWidget::leaveEvent(event);
}
