// caption/palette_drop_down.cpp
#include "caption/palette_drop_down.h"

#include "caption/caption_settings.h"

#include <QColorDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

namespace {

CPaletteDropDown::ColorDialogHandler &colorDialogHandler()
{
    static CPaletteDropDown::ColorDialogHandler handler;
    return handler;
}

std::optional<COLORREF> askColor(COLORREF initial, QWidget *parent)
{
    if (colorDialogHandler())
        return colorDialogHandler()(initial, parent);
    const QColor chosen =
        QColorDialog::getColor(QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return RGB(std::uint8_t(chosen.red()), std::uint8_t(chosen.green()), std::uint8_t(chosen.blue()));
}

QColor qColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

int edgeWidth(const QWidget *w)
{
    return std::max(2, w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
}

QSize textSize(const QFont &font, const QString &a, const QString &b)
{
    const QFontMetrics fm(font);
    const QSize sa = a.isEmpty() ? QSize() : fm.size(Qt::TextSingleLine, a);
    const QSize sb = b.isEmpty() ? QSize() : fm.size(Qt::TextSingleLine, b);
    return sa.expandedTo(sb);
}

void drawEdge(QPainter &p, const QRect &r, const QPalette &pal, bool raised)
{
    p.setPen(raised ? pal.color(QPalette::Light) : pal.color(QPalette::Dark));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(raised ? pal.color(QPalette::Dark) : pal.color(QPalette::Light));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

void CPaletteDropDown::SetColorDialogHandler(ColorDialogHandler handler)
{
    colorDialogHandler() = std::move(handler);
}

CPaletteDropDown::CPaletteDropDown(const QRect &button, COLORREF color, const QString &defaultText,
                                   const QString &customText, QWidget *owner)
    : QWidget(owner, Qt::Popup)
    , mInitialColor(color)
    , mCurrentColor(color)
    , mDefaultText(defaultText)
    , mCustomText(customText)
    , mGeometry(textSize(QGuiApplication::font(), defaultText, customText), edgeWidth(this),
                !defaultText.isEmpty(), !customText.isEmpty())
    , mNavigator(!defaultText.isEmpty(), !customText.isEmpty())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(mGeometry.WindowSize());
    QScreen *screen = QGuiApplication::screenAt(button.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    move(PlacePalette(mGeometry.WindowSize(), button, area));
    mChosen = mNavigator.ChosenEntry(color);
    // The application losing activation ends the choice as a cancel.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            endSelection(false);
    });
}

QRect CPaletteDropDown::entryRect(int entry) const
{
    if (entry == PaletteEntry::Default)
        return mGeometry.DefaultButton();
    if (entry == PaletteEntry::Custom)
        return mGeometry.CustomButton();
    if (entry >= 0 && entry < kPaletteColorCount)
        return mGeometry.Cell(entry);
    return QRect();
}

void CPaletteDropDown::paintEntry(QPainter &p, int entry, const QRect &r)
{
    const QPalette &pal = palette();
    const bool chosen = entry == mChosen && entry != mCurrent;
    QColor back = pal.color(QPalette::Button);
    if (chosen)
        back = entry < 0 ? pal.color(QPalette::Midlight) : pal.color(QPalette::Light);
    p.fillRect(r, back);
    if (entry == mCurrent)
        drawEdge(p, r, pal, true);
    else if (entry == mChosen)
        drawEdge(p, r, pal, false);
    const int m = edgeWidth(this);
    if (entry >= 0) {
        const QRect swatch = r.adjusted(m + 1, m + 1, -m - 1, -m - 1);
        p.fillRect(swatch, qColor(kPaletteColors[entry].color));
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
        return;
    }
    p.setPen(pal.color(QPalette::ButtonText));
    if (entry == PaletteEntry::Default) {
        p.save();
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(r.adjusted(2 * m, 2 * m, -2 * m - 1, -2 * m - 1));
        p.restore();
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, mDefaultText);
    } else {
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(r.left() + 2 * m, r.top(), r.right() - 2 * m, r.top());
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(r.left() + 2 * m, r.top() + 1, r.right() - 2 * m, r.top() + 1);
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, mCustomText);
    }
}

void CPaletteDropDown::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    if (!mDefaultText.isEmpty())
        paintEntry(p, PaletteEntry::Default, mGeometry.DefaultButton());
    for (int i = 0; i < kPaletteColorCount; ++i)
        paintEntry(p, i, mGeometry.Cell(i));
    if (!mCustomText.isEmpty())
        paintEntry(p, PaletteEntry::Custom, mGeometry.CustomButton());
    drawEdge(p, rect().adjusted(0, 0, -1, -1), palette(), true);
}

void CPaletteDropDown::changeSelection(int entry)
{
    if (entry >= kPaletteColorCount)
        entry = PaletteEntry::Custom;
    const int previous = mCurrent;
    mCurrent = entry;
    update(entryRect(previous));
    update(entryRect(mCurrent));
    if (entry == PaletteEntry::Custom) {
        emit selChange(mInitialColor);
    } else if (entry == PaletteEntry::Default) {
        mCurrentColor = kNoBackColor;
        emit selChange(kNoBackColor);
    } else if (entry >= 0) {
        mCurrentColor = kPaletteColors[entry].color;
        emit selChange(mCurrentColor);
    }
}

void CPaletteDropDown::mouseMoveEvent(QMouseEvent *event)
{
    const int entry = mGeometry.EntryAt(event->position().toPoint());
    if (entry != PaletteEntry::None && entry != mCurrent)
        changeSelection(entry);
}

void CPaletteDropDown::mouseReleaseEvent(QMouseEvent *event)
{
    endSelection(rect().contains(event->position().toPoint()));
}

void CPaletteDropDown::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Down: changeSelection(mNavigator.Down(mCurrent)); break;
    case Qt::Key_Up: changeSelection(mNavigator.Up(mCurrent)); break;
    case Qt::Key_Right: changeSelection(mNavigator.Right(mCurrent)); break;
    case Qt::Key_Left: changeSelection(mNavigator.Left(mCurrent)); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: endSelection(true); break;
    case Qt::Key_Escape:
        mCurrentColor = mInitialColor;
        endSelection(false);
        break;
    default: QWidget::keyPressEvent(event); break;
    }
}

void CPaletteDropDown::hideEvent(QHideEvent *event)
{
    // Closed from outside: a click elsewhere or the application losing activation.
    if (!mEnded)
        endSelection(false);
    QWidget::hideEvent(event);
}

bool CPaletteDropDown::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int entry = mGeometry.EntryAt(help->pos());
        if (entry >= 0)
            QToolTip::showText(help->globalPos(), QString::fromLatin1(kPaletteColors[entry].name), this,
                               mGeometry.Cell(entry));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CPaletteDropDown::endSelection(bool ok)
{
    if (mEnded)
        return;
    mEnded = true;
    hide();
    if (ok && mCurrent == PaletteEntry::Custom) {
        const std::optional<COLORREF> chosen = askColor(mInitialColor, parentWidget());
        if (chosen)
            mCurrentColor = *chosen;
        else
            ok = false;
    }
    if (!ok)
        mCurrentColor = mInitialColor;
    if (ok)
        emit selEndOk(mCurrentColor);
    else
        emit selEndCancel(mCurrentColor);
    deleteLater();
}
