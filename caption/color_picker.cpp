// caption/color_picker.cpp
#include "caption/color_picker.h"

#include "caption/caption_settings.h"
#include "caption/palette_drop_down.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

COLORREF fromQColor(const QColor &c)
{
    return RGB(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()));
}

QColor qColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

CColorPicker::CColorPicker(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
    , mBackColor(fromQColor(palette().color(QPalette::Button)))
    , mTextColor(fromQColor(palette().color(QPalette::ButtonText)))
{
    // The button's own click opens the palette; the parent hears only the
    // picker's notifications.
    connect(this, &QPushButton::clicked, this, &CColorPicker::openPalette);
}

COLORREF CColorPicker::GetColor() const
{
    return mMode == ColorMode::Text ? mTextColor : mBackColor;
}

void CColorPicker::SetColor(COLORREF color)
{
    if (mMode == ColorMode::Text)
        mTextColor = color;
    else
        mBackColor = color;
    update();
}

QSize CColorPicker::sizeHint() const
{
    const QSize base = QPushButton::sizeHint();
    const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return QSize(base.width() + arrow + 8, std::max(base.height(), arrow + 8));
}

QRect CColorPicker::arrowRect() const
{
    const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return QRect(width() - arrow - 3, 3, arrow, height() - 6);
}

void CColorPicker::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    if (mActive)
        option.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);

    const QRect arrow = arrowRect().translated(mActive ? 1 : 0, mActive ? 1 : 0);
    QStyleOption arrowOption;
    arrowOption.initFrom(this);
    arrowOption.rect = arrow;
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrowOption, &p, this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(arrow.left() - 2, 4, arrow.left() - 2, height() - 5);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(arrow.left() - 1, 4, arrow.left() - 1, height() - 5);

    QRect swatch(5, 5, arrow.left() - 4 - 5 - 2, height() - 10);
    if (mActive)
        swatch.translate(1, 1);
    const bool enabled = isEnabled();
    const bool noColor = mBackColor == kNoBackColor;
    p.fillRect(swatch, !enabled || noColor ? palette().color(QPalette::Button) : qColor(mBackColor));
    p.setPen(enabled ? Qt::black : Qt::white);
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (text().isEmpty())
        return;
    if (!enabled) {
        p.setPen(palette().color(QPalette::Light));
        p.drawText(swatch.translated(1, 1), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                   text());
        p.setPen(palette().color(QPalette::Dark));
    } else {
        p.setPen(mTextColor == kNoBackColor ? QColor(Qt::black) : qColor(mTextColor));
    }
    p.drawText(swatch, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text());
}

void CColorPicker::openPalette()
{
    if (mDropDown)
        return;
    mActive = true;
    update();
    const QRect button(mapToGlobal(QPoint(0, 0)), size());
    mDropDown = new CPaletteDropDown(button, GetColor(), mDefaultText, mCustomText, this);
    connect(mDropDown, &CPaletteDropDown::selChange, this, &CColorPicker::onSelChange);
    connect(mDropDown, &CPaletteDropDown::selEndOk, this, [this](COLORREF c) { onSelEnd(c, true); });
    connect(mDropDown, &CPaletteDropDown::selEndCancel, this, [this](COLORREF c) { onSelEnd(c, false); });
    mDropDown->show();
    mDropDown->setFocus();
    emit dropDown(GetColor());
}

void CColorPicker::onSelEnd(COLORREF color, bool ok)
{
    mActive = false;
    SetColor(color);
    emit closeUp(color);
    if (ok)
        emit selEndOk(color);
    else
        emit selEndCancel(color);
}

void CColorPicker::onSelChange(COLORREF color)
{
    if (mTrackSelection)
        SetColor(color);
    emit selChange(color);
}
