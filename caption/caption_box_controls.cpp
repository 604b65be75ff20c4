// caption/caption_box_controls.cpp
#include "caption/caption_box_controls.h"

#include "caption/object_name.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// A box may hang off the picture; far beyond any picture is still a number.
constexpr double kFieldLimit = 1e7;

} // namespace

CCaptionBoxControls::CCaptionBoxControls(QWidget *parent)
    : QWidget(parent)
{
    mSizeWithPicture = named(new QCheckBox(tr("Size with the pict&ure")), "sizeWithPicture");
    mSizeWithPicture->setToolTip(tr("Keep the box and the text the same share of every picture"));
    mUnit = named(new QComboBox, "unit");
    mUnit->addItems({tr("pixels"), tr("per cent")});
    const char *names[4] = {"boxX", "boxY", "boxWidth", "boxHeight"};
    const QString labels[4] = {tr("&X:"), tr("&Y:"), tr("&Width:"), tr("&Height:")};
    auto *form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    auto *unitLabel = new QLabel(tr("&Measure in:"));
    unitLabel->setBuddy(mUnit);
    form->addRow(unitLabel, mUnit);
    for (int i = 0; i < 4; ++i) {
        mFields[i] = named(new QDoubleSpinBox, names[i]);
        mFields[i]->setRange(-kFieldLimit, kFieldLimit);
        mFields[i]->setKeyboardTracking(false);
        auto *label = new QLabel(labels[i]);
        label->setBuddy(mFields[i]);
        form->addRow(label, mFields[i]);
        connect(mFields[i], &QDoubleSpinBox::valueChanged, this,
                [this, i](double value) { emit fieldEdited(BoxField(i), value); });
    }
    mUnit->setToolTip(tr("X and Y are measured from the corner the box is based on"));
    mCentre = named(new QPushButton(tr("&Centre")), "centre");
    mCentre->setToolTip(tr("Put the box in the middle of the picture"));
    mReset = named(new QPushButton(tr("&Reset box")), "resetBox");
    mReset->setToolTip(tr("Give the box the place and size of a new one"));
    auto *actions = new QHBoxLayout;
    actions->addWidget(mCentre);
    actions->addWidget(mReset);
    auto *column = new QVBoxLayout(this);
    column->addWidget(mSizeWithPicture);
    column->addLayout(form);
    column->addLayout(actions);
    column->addStretch(1);

    connect(mSizeWithPicture, &QCheckBox::toggled, this, &CCaptionBoxControls::sizeWithPictureToggled);
    connect(mUnit, &QComboBox::currentIndexChanged, this, [this] {
        // New decimals round the old unit's values: that is no edit.
        const int decimals = Unit() == FieldUnit::Percent ? 2 : 0;
        for (QDoubleSpinBox *field : mFields) {
            const QSignalBlocker blocker(field);
            field->setDecimals(decimals);
        }
        emit unitChanged();
    });
    connect(mCentre, &QPushButton::clicked, this, &CCaptionBoxControls::centreRequested);
    connect(mReset, &QPushButton::clicked, this, &CCaptionBoxControls::resetRequested);
    for (QDoubleSpinBox *field : mFields)
        field->setDecimals(0);
}

FieldUnit CCaptionBoxControls::Unit() const
{
    return mUnit->currentIndex() == 1 ? FieldUnit::Percent : FieldUnit::Pixels;
}

void CCaptionBoxControls::ShowFields(const BoxFields &fields)
{
    const double values[4] = {fields.x, fields.y, fields.width, fields.height};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker blocker(mFields[i]);
        if (!mFields[i]->hasFocus() || mFields[i]->value() != values[i])
            mFields[i]->setValue(values[i]);
    }
}

void CCaptionBoxControls::ShowSizeWithPicture(bool on)
{
    const QSignalBlocker blocker(mSizeWithPicture);
    mSizeWithPicture->setChecked(on);
}
