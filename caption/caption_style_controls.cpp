// caption/caption_style_controls.cpp
#include "caption/caption_style_controls.h"

#include "caption/color_picker.h"
#include "caption/object_name.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr double kMaxMeasure = 10000; // padding and effect size, design pixels

QDoubleSpinBox *measureBox(const char *name)
{
    auto *box = named(new QDoubleSpinBox, name);
    box->setRange(0, kMaxMeasure);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" px"));
    return box;
}

QSpinBox *percentBox(const char *name)
{
    auto *box = named(new QSpinBox, name);
    box->setRange(0, 100);
    box->setSuffix(QStringLiteral(" %"));
    return box;
}

// The value as the style keeps it (a float, an int) decides, not the
// spin box's double.
template <class Spin, class Value> void showValue(Spin *spin, Value value)
{
    if (Value(spin->value()) != value)
        spin->setValue(value);
}

// The label's access key moves the focus to its control.
QLabel *buddyLabel(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CCaptionStyleControls::CCaptionStyleControls(QWidget *parent)
    : QWidget(parent)
{
    mChooseLogo = [](QWidget *owner) {
        return QFileDialog::getOpenFileName(owner, tr("Logo"), QString(), tr("Logos (*.png *.svg)"));
    };
    mWordWrap = named(new QCheckBox(tr("&Word wrap")), "wordWrap");
    mFitToBox = named(new QCheckBox(tr("F&it text to box")), "fitToBox");
    mPadding = measureBox("padding");
    mEffect = named(new QComboBox, "effect");
    mEffect->addItems({tr("None"), tr("Outline"), tr("Shadow")});
    mEffectColor = named(new CColorPicker(tr("Effect co&lour")), "effectColor");
    mEffectSize = measureBox("effectSize");
    mBackOpacity = percentBox("backOpacity");
    mLogo = named(new QPushButton(tr("Lo&go...")), "logo");
    mClearLogo = named(new QPushButton(tr("&Clear logo")), "clearLogo");
    mLogoName = new QLabel;
    mLogoName->setSizePolicy(QSizePolicy::Ignored,
                             QSizePolicy::Preferred); // a long name is cut, not the column
    mLogoOpacity = percentBox("logoOpacity");

    mWordWrap->setToolTip(tr("Break the text into lines at the box's width"));
    mFitToBox->setToolTip(tr("Draw the text as large as fits in the box"));
    mPadding->setToolTip(tr("Room between the box's edges and the text"));
    mEffect->setToolTip(tr("An outline or a shadow keeps the text legible on any picture"));
    mBackOpacity->setToolTip(tr("How much of the back colour covers the picture"));
    mLogo->setToolTip(tr("A PNG or SVG picture drawn in the box, scaled to fit"));
    auto *form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->addRow(buddyLabel(tr("Pa&dding:"), mPadding), mPadding);
    form->addRow(buddyLabel(tr("&Effect:"), mEffect), mEffect);
    // The picker's own access key; its text hides under a dark colour, so
    // the row says what it is.
    form->addRow(tr("Effect colour:"), mEffectColor);
    form->addRow(buddyLabel(tr("Effect si&ze:"), mEffectSize), mEffectSize);
    form->addRow(buddyLabel(tr("Back &opacity:"), mBackOpacity), mBackOpacity);
    auto *logoButtons = new QHBoxLayout;
    logoButtons->addWidget(mLogo);
    logoButtons->addWidget(mClearLogo);
    auto *logoForm = new QFormLayout;
    logoForm->addRow(buddyLabel(tr("Logo op&acity:"), mLogoOpacity), mLogoOpacity);
    auto *column = new QVBoxLayout(this);
    column->addWidget(mWordWrap);
    column->addWidget(mFitToBox);
    column->addLayout(form);
    column->addLayout(logoButtons);
    column->addWidget(mLogoName);
    column->addLayout(logoForm);
    column->addStretch(1);

    connect(mWordWrap, &QCheckBox::toggled, this, [this](bool on) {
        mStyle.wordWrap = on;
        edited(false);
    });
    connect(mFitToBox, &QCheckBox::toggled, this, [this](bool on) {
        mStyle.fitToBox = on;
        edited(false);
    });
    connect(mPadding, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        mStyle.padding = float(v);
        edited(true);
    });
    connect(mEffect, &QComboBox::activated, this, [this](int index) {
        mStyle.effect = CaptionEffect(index);
        edited(false);
    });
    connect(mEffectColor, &CColorPicker::selEndOk, this, [this](COLORREF color) {
        mStyle.effectColor = color;
        edited(false);
    });
    connect(mEffectSize, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        mStyle.effectSize = float(v);
        edited(true);
    });
    connect(mBackOpacity, &QSpinBox::valueChanged, this, [this](int v) {
        mStyle.backOpacity = v;
        edited(true);
    });
    connect(mLogoOpacity, &QSpinBox::valueChanged, this, [this](int v) {
        mStyle.logoOpacity = v;
        edited(true);
    });
    connect(mLogo, &QPushButton::clicked, this, [this] {
        const QString path = mChooseLogo ? mChooseLogo(this) : QString();
        if (path.isEmpty())
            return;
        mStyle.logoPath = path;
        showLogoName();
        edited(false);
    });
    connect(mClearLogo, &QPushButton::clicked, this, [this] {
        mStyle.logoPath.clear();
        showLogoName();
        edited(false);
    });
    ShowStyle(mStyle);
}

void CCaptionStyleControls::SetLogoChooser(std::function<QString(QWidget *)> chooser)
{
    mChooseLogo = std::move(chooser);
}

// The controls' signals are blocked while they are filled, so that a spin
// box's rounding never rewrites the style it shows. A spin box that already
// holds the value is left alone: the style is shown again after every edit,
// and setting a value rewrites the text being typed ("1" becomes "1.0 px").
void CCaptionStyleControls::ShowStyle(const CaptionStyle &style)
{
    const QSignalBlocker blockers[] = {
        QSignalBlocker(mWordWrap),    QSignalBlocker(mFitToBox),    QSignalBlocker(mPadding),
        QSignalBlocker(mEffect),      QSignalBlocker(mEffectColor), QSignalBlocker(mEffectSize),
        QSignalBlocker(mBackOpacity), QSignalBlocker(mLogoOpacity),
    };
    mStyle = style;
    mWordWrap->setChecked(style.wordWrap);
    mFitToBox->setChecked(style.fitToBox);
    showValue(mPadding, style.padding);
    const int effect = int(style.effect);
    mEffect->setCurrentIndex(effect >= 0 && effect < mEffect->count() ? effect : 0);
    mEffectColor->SetColor(style.effectColor);
    showValue(mEffectSize, style.effectSize);
    showValue(mBackOpacity, style.backOpacity);
    showValue(mLogoOpacity, style.logoOpacity);
    showLogoName();
}

void CCaptionStyleControls::showLogoName()
{
    mLogoName->setText(mStyle.logoPath.isEmpty() ? tr("No logo") : QFileInfo(mStyle.logoPath).fileName());
    mLogoName->setToolTip(mStyle.logoPath);
    mClearLogo->setEnabled(!mStyle.logoPath.isEmpty());
}

void CCaptionStyleControls::edited(bool merge)
{
    emit styleEdited(mStyle, merge);
}
