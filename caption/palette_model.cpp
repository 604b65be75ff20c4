// caption/palette_model.cpp
#include "caption/palette_model.h"

#include "caption/caption_settings.h"

#include <algorithm>

const PaletteColor kPaletteColors[kPaletteColorCount] = {
    {RGB(0, 0, 0), "Black"},
    {RGB(165, 42, 0), "Brown"},
    {RGB(0, 64, 64), "Dark Olive Green"},
    {RGB(0, 85, 0), "Dark Green"},
    {RGB(0, 0, 94), "Dark Teal"},
    {RGB(0, 0, 139), "Dark blue"},
    {RGB(75, 0, 130), "Indigo"},
    {RGB(40, 40, 40), "Dark grey"},
    {RGB(139, 0, 0), "Dark red"},
    {RGB(255, 104, 32), "Orange"},
    {RGB(139, 139, 0), "Dark yellow"},
    {RGB(0, 147, 0), "Green"},
    {RGB(56, 142, 142), "Teal"},
    {RGB(0, 0, 255), "Blue"},
    {RGB(123, 123, 192), "Blue-grey"},
    {RGB(102, 102, 102), "Grey - 40"},
    {RGB(255, 0, 0), "Red"},
    {RGB(255, 173, 91), "Light orange"},
    {RGB(50, 205, 50), "Lime"},
    {RGB(60, 179, 113), "Sea green"},
    {RGB(127, 255, 212), "Aqua"},
    {RGB(125, 158, 192), "Light blue"},
    {RGB(128, 0, 128), "Violet"},
    {RGB(127, 127, 127), "Grey - 50"},
    {RGB(255, 192, 203), "Pink"},
    {RGB(255, 215, 0), "Gold"},
    {RGB(255, 255, 0), "Yellow"},
    {RGB(0, 255, 0), "Bright green"},
    {RGB(64, 224, 208), "Turquoise"},
    {RGB(192, 255, 255), "Skyblue"},
    {RGB(72, 0, 72), "Plum"},
    {RGB(192, 192, 192), "Light grey"},
    {RGB(255, 228, 225), "Rose"},
    {RGB(210, 180, 140), "Tan"},
    {RGB(255, 255, 224), "Light yellow"},
    {RGB(152, 251, 152), "Pale green "},
    {RGB(175, 238, 238), "Pale turquoise"},
    {RGB(104, 131, 139), "Pale blue"},
    {RGB(230, 230, 250), "Lavender"},
    {RGB(255, 255, 255), "White"},
};

PaletteGeometry::PaletteGeometry(QSize textSize, int m, bool hasDefault, bool hasCustom)
    : mMargin(m)
{
    int tw = 0, th = 0;
    if (hasDefault || hasCustom) {
        tw = textSize.width() + 2 * m;
        th = textSize.height() + 2 * m + 2 * m + 2;
    }
    int w = kPaletteColumns * kPaletteCellSize + 2 * m;
    int h = kPaletteRows * kPaletteCellSize + 2 * m;
    if (hasDefault) {
        w = std::max(w, tw);
        mDefault = QRect(QPoint(m, m), QPoint(w - m - 1, th + 2 * m - 1));
        h += mDefault.height() + 2 * m;
    }
    if (hasCustom) {
        w = std::max(w, tw);
        mCustom = QRect(QPoint(m, h), QPoint(w - m - 1, h + m + th - 1));
        h += mCustom.height() + 2 * m;
    }
    mWindow = QSize(w, h);
}

QRect PaletteGeometry::Cell(int index) const
{
    const int row = index / kPaletteColumns, column = index % kPaletteColumns;
    int top = row * kPaletteCellSize + mMargin;
    if (!mDefault.isEmpty())
        top += mDefault.height() + mMargin;
    return QRect(column * kPaletteCellSize + mMargin, top, kPaletteCellSize, kPaletteCellSize);
}

int PaletteGeometry::EntryAt(QPoint point) const
{
    if (mCustom.contains(point))
        return PaletteEntry::Custom;
    if (mDefault.contains(point))
        return PaletteEntry::Default;
    for (int i = 0; i < kPaletteColorCount; ++i) {
        if (Cell(i).contains(point))
            return i;
    }
    return PaletteEntry::None;
}

QPoint PlacePalette(QSize window, const QRect &button, const QRect &screen)
{
    QPoint at(button.left(), button.bottom() + 1);
    if (at.x() + window.width() > screen.right() + 1)
        at.rx() -= at.x() + window.width() - (screen.right() + 1);
    if (at.x() < screen.left())
        at.rx() = screen.left();
    if (at.y() + window.height() > screen.bottom() + 1)
        at.ry() -= button.height() + window.height();
    return at;
}

PaletteNavigator::PaletteNavigator(bool hasDefault, bool hasCustom)
    : mHasDefault(hasDefault)
    , mHasCustom(hasCustom)
{
}

int PaletteNavigator::afterLast() const
{
    return mHasCustom ? PaletteEntry::Custom : (mHasDefault ? PaletteEntry::Default : 0);
}

int PaletteNavigator::beforeFirst() const
{
    return mHasDefault ? PaletteEntry::Default : (mHasCustom ? PaletteEntry::Custom : lastCell());
}

int PaletteNavigator::Down(int current) const
{
    if (current == PaletteEntry::Default || current == PaletteEntry::None)
        return 0;
    if (current == PaletteEntry::Custom)
        return mHasDefault ? PaletteEntry::Default : 0;
    const int next = current + kPaletteColumns;
    return next < kPaletteColorCount ? next : afterLast();
}

int PaletteNavigator::Up(int current) const
{
    if (current == PaletteEntry::Default)
        return mHasCustom ? PaletteEntry::Custom : lastCell();
    if (current == PaletteEntry::Custom || current == PaletteEntry::None)
        return lastCell();
    const int previous = current - kPaletteColumns;
    return previous >= 0 ? previous : beforeFirst();
}

int PaletteNavigator::Right(int current) const
{
    if (current == PaletteEntry::Default || current == PaletteEntry::None)
        return 0;
    if (current == PaletteEntry::Custom)
        return mHasDefault ? PaletteEntry::Default : 0;
    return current + 1 < kPaletteColorCount ? current + 1 : afterLast();
}

int PaletteNavigator::Left(int current) const
{
    if (current == PaletteEntry::Default)
        return mHasCustom ? PaletteEntry::Custom : lastCell();
    if (current == PaletteEntry::Custom || current == PaletteEntry::None)
        return lastCell();
    return current > 0 ? current - 1 : beforeFirst();
}

int PaletteNavigator::ChosenEntry(COLORREF color) const
{
    if (color == kNoBackColor && mHasDefault)
        return PaletteEntry::Default;
    for (int i = 0; i < kPaletteColorCount; ++i) {
        if (kPaletteColors[i].color == color)
            return i;
    }
    return mHasCustom ? PaletteEntry::Custom : PaletteEntry::None;
}
