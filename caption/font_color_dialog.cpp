// caption/font_color_dialog.cpp
#include "caption/font_color_dialog.h"

#include "caption/color_picker.h"
#include "platform/font_map.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

CFontColorDialog::Handler &handler()
{
    static CFontColorDialog::Handler h;
    return h;
}

} // namespace

CFontColorDialog::CFontColorDialog(const LOGFONT &font, COLORREF color, QWidget *parent)
    : QDialog(parent)
    , mFonts(new QFontDialog(FontFromLogFont(font), this))
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
    choice.font = LogFontFromFont(mFonts->currentFont());
    // What the dialog does not show is kept from the font it was opened on.
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
