// caption/settings_page.cpp
#include "caption/settings_page.h"

#include "caption/box_tool.h"
#include "caption/caption_geometry.h"
#include "caption/color_picker.h"
#include "caption/draw_text.h"
#include "caption/font_color_dialog.h"
#include "caption/preview_loader.h"
#include "caption/settings_page_layout.h"
#include "caption/settings_page_rules.h"
#include "platform/font_map.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr QRgb kHatchColor = 0xBFBFBF;
constexpr QRgb kHoverColor = 0x7798EA; // COLORREF 0xEA9877
constexpr int kCaptionStart = 40;      // where the caption box is made, page pixels

QRect toQRect(const RECT &r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

RECT toRect(const QRect &r)
{
    return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

unsigned mouseFlags(const QMouseEvent *event)
{
    unsigned flags = 0;
    if (event->buttons() & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (event->modifiers() & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

POINT toPoint(const QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    return POINT{p.x(), p.y()};
}

// The edit shows lines with LF; the caption keeps CR LF as typed on the page.
QString toCaptionText(const QString &edited)
{
    QString text = edited;
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

QString toEditText(const QString &caption)
{
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

CBoxTool *currentTool()
{
    return FindTool(CBoxTool::State().shapeKey);
}

} // namespace

CSettingsPage::CSettingsPage(QWidget *parent)
    : QWidget(parent)
    , mLoader(new PreviewLoader(this))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    mFontTip = SettingsTooltipMarkup(SettingsPageIds::Font);
    createControls();
    connect(mLoader, &PreviewLoader::loaded, this, &CSettingsPage::onLoaded);
    applyLayout();
    createCaptionBox();
}

CSettingsPage::~CSettingsPage() = default;

void CSettingsPage::createControls()
{
    mPrevious = new QPushButton(tr("Previous"), this);
    mNext = new QPushButton(tr("Next"), this);
    mView = new QPushButton(tr("View"), this);
    mResolutionLabel = new QLabel(tr("Resolution:"), this);
    mResolution = new QLineEdit(this);
    mResolution->setReadOnly(true);
    mTextGroup = new QGroupBox(tr("Text Properties"), this);
    mFont = new QPushButton(tr("Font"), this);
    mBackColor = new CColorPicker(tr("Back Color"), this);
    mText = new QPlainTextEdit(this);
    mText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mText->setLineWrapMode(QPlainTextEdit::NoWrap);
    mAlignLabel = new QLabel(tr("Text Align:"), this);
    mAlign = new QComboBox(this);
    mAlign->addItems({tr("Left"), tr("Middle"), tr("Right")});
    mAlign->setCurrentIndex(CaptionAlign::Middle);
    mAnchorLabel = new QLabel(tr("Base On Image:"), this);
    mAnchor = new QComboBox(this);
    mAnchor->addItems(
        {tr("Top left corner"), tr("Top right corner"), tr("Down left corner"), tr("Down right coner")});
    mAnchor->setCurrentIndex(CaptionAnchor::TopLeft);
    mRotateGroup = new QGroupBox(tr("Rotate image"), this);
    const char *rotationTexts[4] = {"0\"", "-90\"", "90\"", "180\""};
    for (int i = 0; i < 4; ++i) {
        mRotate[i] = new QRadioButton(QString::fromLatin1(rotationTexts[i]), this);
        connect(mRotate[i], &QRadioButton::clicked, this, [this, i] { onRotate(i); });
    }
    mRotate[0]->setChecked(true);
    // The group boxes are drawn behind the controls they frame.
    mTextGroup->lower();
    mRotateGroup->lower();
    connectControls();
}

void CSettingsPage::connectControls()
{
    connect(mPrevious, &QPushButton::clicked, this, &CSettingsPage::onPrevious);
    connect(mNext, &QPushButton::clicked, this, &CSettingsPage::onNext);
    connect(mView, &QPushButton::clicked, this, &CSettingsPage::onView);
    connect(mFont, &QPushButton::clicked, this, &CSettingsPage::onFont);
    connect(mBackColor, &CColorPicker::selEndOk, this, &CSettingsPage::onBackColor);
    connect(mText, &QPlainTextEdit::textChanged, this, &CSettingsPage::onTextEdited);
    connect(mAlign, &QComboBox::activated, this, &CSettingsPage::onAlign);
    connect(mAnchor, &QComboBox::activated, this, &CSettingsPage::onAnchor);
}

std::vector<std::pair<QWidget *, QString>> CSettingsPage::MarkupTips() const
{
    const std::pair<QWidget *, int> controls[] = {
        {mAlign, SettingsPageIds::AlignList},    {mAnchor, SettingsPageIds::AnchorList},
        {mRotate[0], SettingsPageIds::Rotate0},  {mRotate[1], SettingsPageIds::RotateMinus90},
        {mRotate[2], SettingsPageIds::Rotate90}, {mRotate[3], SettingsPageIds::Rotate180},
        {mFont, SettingsPageIds::Font},          {mBackColor, SettingsPageIds::BackColor},
        {mPrevious, SettingsPageIds::Previous},  {mNext, SettingsPageIds::Next},
        {mView, SettingsPageIds::View},
    };
    std::vector<std::pair<QWidget *, QString>> tips;
    for (const auto &[widget, id] : controls)
        tips.emplace_back(widget, widget == mFont ? mFontTip : SettingsTooltipMarkup(id));
    return tips;
}

// The box is made as a user would make it: the creation tool pressed at
// (40, 40), or (50, 50) when something is there, and released 40 further on.
void CSettingsPage::createCaptionBox()
{
    DrawToolState &st = CBoxTool::State();
    st = DrawToolState();
    st.shapeKey = kTextBoxToolKey;
    CBoxTool *tool = FindTool(kTextBoxToolKey);
    const int at = ObjectAt(POINT{kCaptionStart, kCaptionStart}) ? kCaptionStart + 10 : kCaptionStart;
    tool->OnButtonDown(*this, MK_LBUTTON, POINT{at, at});
    tool->OnButtonUp(*this, MK_LBUTTON, POINT{at + 40, at + 40});
    st.shapeKey = kPointerToolKey;
    EnableCaptionControls(false);
    Select(Selection().empty() ? CaptionBox() : Selection().front(), false);
}

std::optional<CaptionSettings> CSettingsPage::ExportCaption() const
{
    if (const CDrawText *box = CaptionBox())
        return box->GetCaption();
    return std::nullopt;
}

RECT CSettingsPage::PreviewRect() const
{
    return toRect(mPreview);
}

void CSettingsPage::SetCursor(Qt::CursorShape shape)
{
    if (!mLoader->IsBusy())
        setCursor(shape);
}

void CSettingsPage::EnableCaptionControls(bool on)
{
    for (QWidget *w :
         {static_cast<QWidget *>(mFont), static_cast<QWidget *>(mBackColor), static_cast<QWidget *>(mText),
          static_cast<QWidget *>(mAlign), static_cast<QWidget *>(mAnchor)})
        w->setEnabled(on);
}

void CSettingsPage::InvalidateArea(const RECT &area)
{
    update(toQRect(area).intersected(mPreview));
}

// The Font button's tip names the caption's font, and the face that really
// draws it when the one asked for is not installed. A "<" in a face name is
// doubled so that the tooltip shows it instead of reading a tag.
void CSettingsPage::showFontInButton(const LOGFONT &font)
{
    const QString face = LogFontFaceName(font);
    const QString drawn = QFontInfo(FontFromLogFont(font)).family();
    const auto literal = [](QString text) { return text.replace(QStringLiteral("<"), QStringLiteral("<<")); };
    QString line = tr("%1, %2 pixels").arg(literal(face)).arg(std::abs(font.lfHeight));
    if (drawn.compare(face, Qt::CaseInsensitive) != 0)
        line += tr("<br>%1 is not installed: drawn with %2").arg(literal(face), literal(drawn));
    const QString tip = SettingsTooltipMarkup(SettingsPageIds::Font) + QStringLiteral("<br><i>") + line +
                        QStringLiteral("</i>");
    if (tip == mFontTip)
        return;
    mFontTip = tip;
    emit markupTipChanged(mFont, mFontTip);
}

void CSettingsPage::ShowCaptionInControls(const CDrawText &box)
{
    mFilling = true;
    showFontInButton(box.GetFont());
    mBackColor->SetColor(box.GetBackColor());
    if (toCaptionText(mText->toPlainText()) != box.GetText())
        mText->setPlainText(toEditText(box.GetText()));
    if (box.GetAlign() >= 0 && box.GetAlign() <= 2)
        mAlign->setCurrentIndex(box.GetAlign());
    if (box.GetAnchor() >= 0 && box.GetAnchor() <= 3)
        mAnchor->setCurrentIndex(box.GetAnchor());
    mFilling = false;
}

CDrawText *CSettingsPage::selectedBox() const
{
    return Selection().empty() ? nullptr : dynamic_cast<CDrawText *>(Selection().front());
}

void CSettingsPage::captionChanged()
{
    update(mPreview);
}

void CSettingsPage::onTextEdited()
{
    if (mFilling)
        return;
    if (CDrawText *box = selectedBox()) {
        box->SetText(toCaptionText(mText->toPlainText()));
        captionChanged();
    }
}

void CSettingsPage::onFont()
{
    CDrawText *box = selectedBox();
    if (!box)
        return;
    const std::optional<FontChoice> choice = CFontColorDialog::Ask(box->GetFont(), box->GetTextColor(), this);
    if (!choice)
        return;
    mHolderColor = choice->color;
    box->SetFont(choice->font);
    box->SetTextColor(choice->color);
    showFontInButton(choice->font);
    captionChanged();
}

void CSettingsPage::onBackColor(COLORREF)
{
    if (CDrawText *box = selectedBox()) {
        box->SetBackColor(mBackColor->GetColor());
        captionChanged();
    }
}

void CSettingsPage::onAlign(int index)
{
    CDrawText *box = selectedBox();
    if (box && index >= 0 && index <= 2) {
        box->SetAlign(index);
        captionChanged();
    }
}

// The box stays where it is on the screen; only its offsets are measured
// from the new corner.
void CSettingsPage::onAnchor(int index)
{
    if (index < 0 || index > 3)
        return;
    for (CDrawObj *obj : Selection()) {
        if (auto *box = dynamic_cast<CDrawText *>(obj)) {
            box->SetAnchor(index);
            box->Place(box->GetPosition(), this);
        }
    }
    captionChanged();
}

void CSettingsPage::onRotate(int button)
{
    const int degrees = kRotationButtonDegrees[button];
    if (mPath.isEmpty()) {
        // No row selected: nothing to turn; the buttons keep showing 0.
        mRotate[RotationButtonIndex(mRotation)]->setChecked(true);
        return;
    }
    if (degrees == mRotation)
        return;
    mRotation = degrees;
    if (mPicture.IsValid() && mPicture.path == mPath)
        setWorking(TurnImage(mPicture.image, degrees));
    emit rotationChanged(degrees);
}

void CSettingsPage::onPrevious()
{
    if (CanShowPrevious(mRow, mCount))
        emit previousRequested();
}

void CSettingsPage::onNext()
{
    if (CanShowNext(mRow, mCount))
        emit nextRequested();
}

void CSettingsPage::onView()
{
    if (HasPicture())
        emit viewRequested();
}

void CSettingsPage::ShowImage(const QString &path, int rotation, int row, int count)
{
    mRow = row;
    mCount = count;
    if (RotationButtonIndex(rotation) < 0)
        rotation = 0;
    mRotate[RotationButtonIndex(rotation)]->setChecked(true);
    if (path.isEmpty()) {
        // No row selected any more: nothing is shown.
        mLoader->Cancel();
        unsetCursor();
        mPath.clear();
        mRotation = 0;
        mPicture = PreviewPicture();
        mResolution->clear();
        setWorking(QImage());
        return;
    }
    const bool same = path == mPath && mPicture.IsValid() && SameFile(mPicture, path);
    mPath = path;
    mRotation = rotation;
    if (same) {
        setWorking(TurnImage(mPicture.image, rotation));
        return;
    }
    setCursor(Qt::BusyCursor);
    request();
}

bool CSettingsPage::IsLoading() const
{
    return mLoader->IsBusy();
}

void CSettingsPage::WaitForPicture()
{
    mLoader->WaitForIdle();
    QCoreApplication::sendPostedEvents(mLoader);
}

QSize CSettingsPage::PictureSize() const
{
    return mWorking.isNull() ? QSize() : TurnedSize(mPicture.fullSize, mRotation);
}

void CSettingsPage::onLoaded(const PreviewPicture &picture)
{
    unsetCursor();
    if (picture.path != mPath)
        return;
    mPicture = picture;
    if (!picture.IsValid()) {
        mResolution->clear();
        setWorking(QImage());
        return;
    }
    mResolution->setText(
        PropertiesText(picture.fullSize.width(), picture.fullSize.height(), picture.bitsPerPixel));
    setWorking(TurnImage(picture.image, mRotation));
}

void CSettingsPage::setWorking(QImage working)
{
    mWorking = std::move(working);
    updatePictureGeometry();
    requestIfBlurred();
    update(mPreview);
}

// I and s follow the picture's own size, whatever size it was decoded at.
void CSettingsPage::updatePictureGeometry()
{
    mBase = QImage();
    if (mWorking.isNull()) {
        mShown = RECT{};
        mScale = 1.0f;
        return;
    }
    const QSize size = PictureSize();
    const RECT q = toRect(mPreview.adjusted(1, 1, -1, -1));
    mShown = FitPictureRect(size.width(), size.height(), q);
    mScale = SaneScale(float(std::abs(mShown.right - mShown.left)) / float(size.width()));
    // The boxes follow at once, so that the pointer finds them where the
    // next paint will draw them.
    for (const auto &obj : Objects()) {
        if (dynamic_cast<CDrawText *>(obj.get()))
            obj->SetPosition(PreviewBox(obj->GetOffsets(), obj->GetAnchor(), mShown, mScale));
    }
}

QSize CSettingsPage::previewNeed() const
{
    return mPreview.adjusted(1, 1, -1, -1).size();
}

// Decoded with a quarter more than the preview needs, so that a page made a
// little larger does not call for another decode.
void CSettingsPage::request()
{
    mRequestedNeed = previewNeed();
    mRequestedRotation = mRotation;
    mLoader->Request(mPath, mRotation, mRequestedNeed * 5 / 4);
}

// A reduced picture that the preview has outgrown (a larger page, or a turn
// that shows it wider) is decoded again larger; once per size and turn, so
// rounding can never make it decode over and over.
void CSettingsPage::requestIfBlurred()
{
    if (mWorking.isNull() || !mPicture.IsReduced() || mLoader->IsBusy() || mPicture.path != mPath)
        return;
    if (previewNeed() == mRequestedNeed && mRotation == mRequestedRotation)
        return;
    const int shownW = std::abs(mShown.right - mShown.left), shownH = std::abs(mShown.bottom - mShown.top);
    if (shownW > mWorking.width() || shownH > mWorking.height())
        request();
}

void CSettingsPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyLayout();
    updatePictureGeometry();
    requestIfBlurred();
}

void CSettingsPage::applyLayout()
{
    SettingsPageMetrics m;
    m.buttonHeight = std::max(mPrevious->sizeHint().height(), mBackColor->sizeHint().height());
    m.editHeight = mResolution->sizeHint().height();
    m.labelHeight = mAlignLabel->sizeHint().height();
    m.listHeight = mAlign->sizeHint().height();
    m.radioHeight = mRotate[0]->sizeHint().height();
    m.groupTitle = mTextGroup->fontMetrics().height() + 8;
    m.rotateGroupHeight = m.groupTitle + 2 * m.radioHeight + 24;
    const SettingsPageGeometry g = LayoutSettingsPage(size(), m);
    mPreview = g.preview;
    mPrevious->setGeometry(g.previous);
    mNext->setGeometry(g.next);
    mView->setGeometry(g.view);
    mResolutionLabel->setGeometry(g.resolutionLabel);
    mResolution->setGeometry(g.resolution);
    mTextGroup->setGeometry(g.textGroup);
    mFont->setGeometry(g.font);
    mBackColor->setGeometry(g.backColor);
    mText->setGeometry(g.text);
    mAlignLabel->setGeometry(g.alignLabel);
    mAlign->setGeometry(g.align);
    mAnchorLabel->setGeometry(g.anchorLabel);
    mAnchor->setGeometry(g.anchor);
    mRotateGroup->setGeometry(g.rotateGroup);
    for (int i = 0; i < 4; ++i)
        mRotate[i]->setGeometry(g.rotate[i]);
}

// Frame, hatch and picture change only with the picture or the page's size;
// the caption, handles and hover outline are drawn over a copy each time.
void CSettingsPage::paintBase()
{
    const qreal dpr = 1.0;
    mBase = QImage(mPreview.size(), QImage::Format_RGB32);
    mBase.setDevicePixelRatio(dpr);
    QPainter p(&mBase);
    p.translate(-mPreview.topLeft());
    const QRect q = mPreview.adjusted(1, 1, -1, -1);
    p.fillRect(q, Qt::white);
    p.setBrushOrigin(0, 0);
    p.fillRect(q, QBrush(QColor(kHatchColor), Qt::DiagCrossPattern));
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(mPreview.topLeft(), mPreview.topRight());
    p.drawLine(mPreview.topLeft(), mPreview.bottomLeft());
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(mPreview.bottomLeft(), mPreview.bottomRight());
    p.drawLine(mPreview.topRight(), mPreview.bottomRight());
    if (!mWorking.isNull()) {
        const QRect shown = toQRect(NormalizeRect(mShown));
        if (shown.size() == mWorking.size())
            p.drawImage(shown.topLeft(), mWorking);
        else
            p.drawImage(shown,
                        mWorking.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else if (!mPicture.error.isEmpty()) {
        paintMessage(p, q,
                     tr("This picture cannot be shown:\n%1\n\n%2")
                         .arg(mPicture.error, mPicture.path.section('/', -1)));
    } else if (mLoader->IsBusy()) {
        paintMessage(p, q, tr("Loading the picture..."));
    }
}

void CSettingsPage::paintMessage(QPainter &painter, const QRect &area, const QString &text)
{
    const QRect box =
        painter.fontMetrics()
            .boundingRect(area.adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, text)
            .adjusted(-12, -10, 12, 10);
    painter.fillRect(box, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void CSettingsPage::PaintPreview(QPainter &painter)
{
    if (mBase.isNull() || mBase.size() != mPreview.size())
        paintBase();
    painter.drawImage(mPreview.topLeft(), mBase);
    if (HasPicture()) {
        for (const auto &obj : Objects()) {
            if (auto *box = dynamic_cast<CDrawText *>(obj.get()))
                box->PaintCaption(painter, *this);
            if (IsSelected(obj.get()))
                obj->PaintHandles(painter, TrackerState::Selected);
        }
    }
    if (!IsRectEmpty(mHover)) {
        painter.save();
        painter.setPen(QPen(QColor(kHoverColor), 2));
        painter.setBrush(Qt::NoBrush);
        const RECT h = mHover;
        const QPoint corners[4] = {
            {h.left, h.top}, {h.right, h.top}, {h.right, h.bottom}, {h.left, h.bottom}};
        painter.drawPolygon(corners, 4);
        painter.restore();
    }
}

void CSettingsPage::paintEvent(QPaintEvent *)
{
    if (mPreview.isEmpty())
        return;
    if (mFrame.size() != mPreview.size())
        mFrame = QImage(mPreview.size(), QImage::Format_RGB32);
    {
        QPainter off(&mFrame);
        off.translate(-mPreview.topLeft());
        off.setClipRect(mPreview);
        PaintPreview(off);
    }
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.drawImage(mPreview.topLeft(), mFrame);
}

void CSettingsPage::mousePressEvent(QMouseEvent *event)
{
    const POINT point = toPoint(event);
    if (event->button() == Qt::LeftButton && HasPicture() && PtInRect(toRect(mPreview), point)) {
        if (CBoxTool *tool = currentTool())
            tool->OnButtonDown(*this, mouseFlags(event), point);
        update(mPreview);
    }
    QWidget::mousePressEvent(event);
}

// A release ends a drag wherever it happens, so a box is never left hanging
// on the pointer after the button went up outside the preview.
void CSettingsPage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && HasPicture()) {
        if (CBoxTool *tool = currentTool())
            tool->OnButtonUp(*this, mouseFlags(event), toPoint(event));
        update(mPreview);
    }
    QWidget::mouseReleaseEvent(event);
}

void CSettingsPage::mouseMoveEvent(QMouseEvent *event)
{
    const POINT point = toPoint(event);
    if (!HasPicture() || !PtInRect(toRect(mPreview), point)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (CBoxTool *tool = currentTool())
        tool->OnMouseMove(*this, mouseFlags(event), point);
    mHover = RECT{};
    for (const auto &obj : Objects()) {
        if (!IsSelected(obj.get()) && PtInRect(obj->GetPosition(), point)) {
            mHover = obj->GetPosition();
            break;
        }
    }
    update(mPreview);
    QWidget::mouseMoveEvent(event);
}

void CSettingsPage::leaveEvent(QEvent *event)
{
    if (!IsRectEmpty(mHover)) {
        mHover = RECT{};
        update(mPreview);
    }
    QWidget::leaveEvent(event);
}
