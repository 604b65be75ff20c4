// caption/font_color_dialog.cpp
#include "caption/font_color_dialog.h"

#include "caption/color_picker.h"
#include "platform/font_map.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace {

CFontColorDialog::Handler &handler()
{
    static CFontColorDialog::Handler h;
    return h;
}

// The font as the dialog lists it: the family that really draws it (a face
// that is not installed is listed under its substitute) at a size in points.
QFont listedFont(const LOGFONT &font)
{
    const QFont drawn = FontFromLogFont(font);
    QFont listed = drawn;
    listed.setFamily(QFontInfo(drawn).family());
    listed.setPointSize(std::max(1, qRound(QFontInfo(drawn).pixelSize() * 72.0 / 96.0)));
    return listed;
}

} // namespace

CFontColorDialog::CFontColorDialog(const LOGFONT &font, COLORREF color, QWidget *parent)
    : QDialog(parent)
    , mFonts(new QFontDialog(listedFont(font), this))
    , mColor(new CColorPicker(QString(), this))
    , mInitial(font)
{
    setWindowTitle(tr("Font"));
    // The font chooser lives inside this dialog; its own buttons are ours.
    mFonts->setWindowFlags(Qt::Widget);
    mFonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    mColor->SetColorMode(CColorPicker::ColorMode::Background);
    mColor->SetDefaultText(QString());
    mColor->SetColor(color);
    mColor->setMinimumWidth(120);

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(tr("Color:"), this));
    colorRow->addWidget(mColor);
    colorRow->addStretch(1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mFonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

FontChoice CFontColorDialog::Choice() const
{
    FontChoice choice;
    const QFont chosen = mFonts->currentFont();
    choice.font = LogFontFromFont(chosen);
    // What the dialog does not show, or shows rounded, is kept from the font
    // it was opened on: sizes are listed in whole points, so an unchanged
    // size keeps its exact pixel height, and an unchanged family keeps the
    // face name asked for rather than its substitute.
    const QFont listed = listedFont(mInitial);
    if (chosen.pointSize() == listed.pointSize())
        choice.font.lfHeight = mInitial.lfHeight;
    if (chosen.family() == listed.family())
        std::memcpy(choice.font.lfFaceName, mInitial.lfFaceName, sizeof(choice.font.lfFaceName));
    choice.font.lfWidth = mInitial.lfWidth;
    choice.font.lfCharSet = mInitial.lfCharSet;
    choice.font.lfQuality = mInitial.lfQuality;
    choice.color = mColor->GetColor();
    return choice;
}

std::optional<FontChoice> CFontColorDialog::Ask(const LOGFONT &font, COLORREF color, QWidget *parent)
{
    if (handler())
        return handler()(font, color, parent);
    CFontColorDialog dialog(font, color, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choice();
}

void CFontColorDialog::SetHandler(Handler h)
{
    handler() = std::move(h);
}
