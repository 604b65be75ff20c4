// controls/markup_tip.cpp
#include "controls/markup_tip.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace {

constexpr std::uint32_t kNotSet = 0xFFFFFFFF;
constexpr std::array<int, 11> kDefaultSizes = {16, 16, 12, 12, 4, 4, 12, 16, 16, 1, 1};

std::uint32_t valueOf(const QColor &c)
{
    return std::uint32_t(c.rgb()) & 0xFFFFFF;
}

MarkupColorTable defaultColors(const QPalette &palette)
{
    const std::uint32_t text = valueOf(palette.color(QPalette::ToolTipText));
    const std::uint32_t back = valueOf(palette.color(QPalette::ToolTipBase));
    const std::uint32_t shadow = valueOf(palette.color(QPalette::Dark));
    return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080, 0xFF0000,
            0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xC0C0C0, 0xFFFFFF, kNotSet,  text,
            back,     back,     back,     0xEE0000, 0x8B1A55, 0x0000FF, shadow,   text};
}

} // namespace

CMarkupTip::CMarkupTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    , mColors(defaultColors(QApplication::palette()))
    , mSizes(kDefaultSizes)
    , mFont(QApplication::font())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    mShowTimer.setSingleShot(true);
    mShowTimer.setInterval(500);
    mHideTimer.setSingleShot(true);
    mHideTimer.setInterval(5000);
    connect(&mShowTimer, &QTimer::timeout, this, &CMarkupTip::onShowTimer);
    connect(&mHideTimer, &QTimer::timeout, this, &CMarkupTip::HideTip);
}

CMarkupTip::~CMarkupTip() = default;

void CMarkupTip::Create(QWidget *owner)
{
    mOwner = owner;
    watch(owner);
}

void CMarkupTip::watch(QWidget *widget)
{
    if (!widget)
        return;
    widget->setAttribute(Qt::WA_Hover);
    widget->installEventFilter(this);
}

void CMarkupTip::AddTool(QWidget *control, const QString &markup)
{
    if (!control)
        return;
    for (Tool &tool : mTools) {
        if (tool.control == control) {
            tool.markup = markup;
            return;
        }
    }
    mTools.push_back({control, markup});
    watch(control);
}

void CMarkupTip::RemoveTool(QWidget *control)
{
    std::erase_if(mTools, [control](const Tool &t) { return t.control == control || !t.control; });
    if (control)
        control->removeEventFilter(this);
    if (mShown == control)
        HideTip();
}

void CMarkupTip::RemoveAllTools()
{
    for (const Tool &tool : mTools) {
        if (tool.control)
            tool.control->removeEventFilter(this);
    }
    mTools.clear();
    HideTip();
}

QString CMarkupTip::ToolText(QWidget *control) const
{
    const Tool *tool = findTool(control);
    return tool ? tool->markup : QString();
}

void CMarkupTip::SetColor(int index, std::uint32_t color)
{
    if (index >= 0 && index < kMarkupColorCount)
        mColors[std::size_t(index)] = color;
}

std::uint32_t CMarkupTip::GetColor(int index) const
{
    return mColors[std::size_t(index >= 0 && index < kMarkupColorCount ? index : kMarkupTextColor)];
}

void CMarkupTip::SetGradientColors(std::uint32_t begin, std::uint32_t middle, std::uint32_t end)
{
    mColors[kColorGradientTop] = begin;
    mColors[kColorGradientMiddle] = middle;
    mColors[kColorGradientBottom] = end;
}

void CMarkupTip::SetSize(int index, int value)
{
    if (index >= 0 && index < int(mSizes.size()))
        mSizes[std::size_t(index)] = value;
}

int CMarkupTip::GetSize(int index) const
{
    return index >= 0 && index < int(mSizes.size()) ? mSizes[std::size_t(index)] : 0;
}

void CMarkupTip::SetDelayTime(Delay which, int milliseconds)
{
    (which == InitialDelay ? mShowTimer : mHideTimer).setInterval(std::max(0, milliseconds));
}

int CMarkupTip::GetDelayTime(Delay which) const
{
    return (which == InitialDelay ? mShowTimer : mHideTimer).interval();
}

void CMarkupTip::SetDirection(int direction)
{
    if (direction >= 0 && direction <= 3)
        mDirection = direction;
}

void CMarkupTip::SetEffectBk(int effect, int granularity)
{
    mEffect = effect;
    mGranularity = std::max(1, granularity);
}

void CMarkupTip::SetFont(const QFont &font)
{
    mFont = font;
}

void CMarkupTip::SetFont(const QString &face, int pointSize, bool bold, bool italic)
{
    QFont font(face, pointSize, bold ? QFont::Bold : QFont::Normal, italic);
    SetFont(font);
}

void CMarkupTip::ConfigureAsPage()
{
    SetStyles(kStyleBorder | kStyleRounded | kStyleKeepAway);
    SetDirection(1);
    SetDelayTime(InitialDelay, 50);
    SetDelayTime(StayUpTime, 50000);
}

const CMarkupTip::Tool *CMarkupTip::findTool(const QWidget *control) const
{
    for (const Tool &tool : mTools) {
        if (tool.control && tool.control == control)
            return &tool;
    }
    return nullptr;
}

// The registered control under the pointer: the window there if it is one
// of the owner's children (or a child of such a control), else the owner's
// child at that point.
const CMarkupTip::Tool *CMarkupTip::toolAt(QPoint globalPos) const
{
    if (!mOwner)
        return nullptr;
    QWidget *w = mOwner->childAt(mOwner->mapFromGlobal(globalPos));
    for (; w && w != mOwner; w = w->parentWidget()) {
        if (const Tool *tool = findTool(w))
            return tool;
    }
    return nullptr;
}

bool CMarkupTip::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverMove:
    case QEvent::HoverEnter:
    case QEvent::MouseMove: pointerMoved(QCursor::pos()); break;
    case QEvent::HoverLeave:
        if (watched != mOwner)
            break;
        [[fallthrough]];
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        if (event->type() != QEvent::MouseButtonPress || !(mBehaviour & kBehaviourStayOnClick)) {
            mShowTimer.stop();
            HideTip();
        }
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void CMarkupTip::pointerMoved(QPoint globalPos)
{
    if (globalPos == mPendingPos && (mShowTimer.isActive() || isVisible()))
        return;
    const Tool *tool = toolAt(globalPos);
    HideTip();
    mShowTimer.stop();
    mPending = tool ? tool->control.data() : nullptr;
    mPendingPos = globalPos;
    if (tool)
        mShowTimer.start();
}

void CMarkupTip::onShowTimer()
{
    HideTip();
    const QPoint pos = QCursor::pos();
    const Tool *tool = toolAt(pos);
    if (tool && tool->control == mPending && pos == mPendingPos)
        ShowTip(tool->control, pos);
}

void CMarkupTip::ShowTip(QWidget *control, QPoint globalPos)
{
    const Tool *tool = findTool(control);
    if (!tool)
        return;
    mRenderer = std::make_unique<MarkupRenderer>(tool->markup, mFont, mColors);
    const QSize size = mRenderer->size() + QSize(2 * mSizes[kSizeMarginX], 2 * mSizes[kSizeMarginY]);
    resize(size);
    move(placement(globalPos, size));
    if (mStyles & kStyleRounded) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), mSizes[kSizeCornerWidth] / 2.0, mSizes[kSizeCornerHeight] / 2.0);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        clearMask();
    }
    mShown = control;
    show();
    raise();
    mHideTimer.start();
}

void CMarkupTip::HideTip()
{
    mHideTimer.stop();
    mShown = nullptr;
    hide();
}

QPoint CMarkupTip::placement(QPoint globalPos, QSize size) const
{
    const QPoint away =
        (mStyles & kStyleKeepAway) ? QPoint(mSizes[kSizeAwayX], mSizes[kSizeAwayY]) : QPoint();
    const bool right = mDirection == 1 || mDirection == 3;
    const bool below = mDirection >= 2;
    QPoint at(right ? globalPos.x() + away.x() : globalPos.x() - away.x() - size.width(),
              below ? globalPos.y() + away.y() + 16 : globalPos.y() - away.y() - size.height());
    if (const QScreen *screen = QGuiApplication::screenAt(globalPos)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    }
    return at;
}

void CMarkupTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect();
    if (mEffect == 1) {
        QLinearGradient gradient(area.topLeft(), area.bottomLeft());
        gradient.setColorAt(0, colorFromValue(mColors[kColorGradientTop]));
        gradient.setColorAt(0.5, colorFromValue(mColors[kColorGradientMiddle]));
        gradient.setColorAt(1, colorFromValue(mColors[kColorGradientBottom]));
        painter.fillRect(area, gradient);
    } else {
        painter.fillRect(area, colorFromValue(mColors[kColorGradientTop]));
    }
    if (mStyles & kStyleBorder) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(colorFromValue(mColors[kColorFrame]), std::max(1, mSizes[kSizeFrameWidth]));
        painter.setPen(pen);
        const QRectF frame = QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5);
        if (mStyles & kStyleRounded)
            painter.drawRoundedRect(frame, mSizes[kSizeCornerWidth] / 2.0, mSizes[kSizeCornerHeight] / 2.0);
        else
            painter.drawRect(frame);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    if (mRenderer)
        mRenderer->draw(painter, QPoint(mSizes[kSizeMarginX], mSizes[kSizeMarginY]));
}
