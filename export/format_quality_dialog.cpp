// export/format_quality_dialog.cpp
#include "export/format_quality_dialog.h"

#include "export/export_options.h"
#include "imagelib/codecs/jxl/codec_jxl.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

CFormatQualityDialog::CFormatQualityDialog(int format, const ExportCodecSettings &settings, QWidget *parent)
    : QDialog(parent)
    , mFormat(format)
    , mSettings(settings)
{
    setWindowTitle(QString::fromLatin1(exportFormat(format).listText) + QStringLiteral(" Quality"));
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Image quality"), this);
    auto *grid = new QGridLayout(group);
    mSlider = new QSlider(Qt::Horizontal, group);
    mSlider->setRange(0, 100);
    mSlider->setTickPosition(QSlider::TicksBelow);
    mSlider->setTickInterval(10);
    mSlider->setMinimumWidth(200);
    mQualitySpin = new QSpinBox(group);
    mQualitySpin->setRange(0, 100);
    grid->addWidget(new QLabel(QStringLiteral("Smallest"), group), 0, 0);
    grid->addWidget(mSlider, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Best"), group), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Quality:"), group), 1, 0);
    grid->addWidget(mQualitySpin, 1, 1, Qt::AlignLeft);
    int row = 2;
    if (format == kFormatWebp || format == kFormatJxl) {
        mLossless = new QCheckBox(QStringLiteral("Lossless"), group);
        mLossless->setObjectName(QStringLiteral("losslessCheck"));
        mLossless->setChecked(format == kFormatWebp ? mSettings.WebpLossless : mSettings.JxlLossless);
        grid->addWidget(mLossless, row++, 0, 1, 3);
        connect(mLossless, &QCheckBox::toggled, this, &CFormatQualityDialog::updateEnabled);
    }
    if (format == kFormatJxl) {
        mDistance = new QLabel(group);
        mDistance->setObjectName(QStringLiteral("distanceLabel"));
        grid->addWidget(mDistance, row++, 0, 1, 3);
    }
    if (format == kFormatAvif) {
        mSpeed = new QSpinBox(group);
        mSpeed->setObjectName(QStringLiteral("speedSpin"));
        mSpeed->setRange(0, 10);
        mSpeed->setValue(std::clamp(mSettings.AvifSpeed, 0, 10));
        grid->addWidget(new QLabel(QStringLiteral("Speed (0 slowest, smallest .. 10 fastest):"), group), row,
                        0, 1, 2);
        grid->addWidget(mSpeed, row++, 2);
    }
    layout->addWidget(group);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFormatQualityDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFormatQualityDialog::reject);
    layout->addWidget(buttons);
    mSlider->setObjectName(QStringLiteral("qualitySlider"));
    mQualitySpin->setObjectName(QStringLiteral("qualitySpin"));

    mQualitySpin->setValue(std::clamp(quality(), 0, 100));
    mSlider->setValue(mQualitySpin->value());
    connect(mSlider, &QSlider::valueChanged, mQualitySpin, &QSpinBox::setValue);
    connect(mQualitySpin, qOverload<int>(&QSpinBox::valueChanged), mSlider, &QSlider::setValue);
    connect(mQualitySpin, qOverload<int>(&QSpinBox::valueChanged), this,
            &CFormatQualityDialog::updateDistance);
    updateEnabled();
    updateDistance();
}

int &CFormatQualityDialog::quality()
{
    if (mFormat == kFormatAvif)
        return mSettings.AvifQuality;
    if (mFormat == kFormatJxl)
        return mSettings.JxlQuality;
    return mSettings.WebpQuality;
}

// Lossless output has no quality to choose.
void CFormatQualityDialog::updateEnabled()
{
    const bool lossy = !mLossless || !mLossless->isChecked();
    mSlider->setEnabled(lossy);
    mQualitySpin->setEnabled(lossy);
    if (mDistance)
        mDistance->setEnabled(lossy);
}

void CFormatQualityDialog::updateDistance()
{
    if (mDistance)
        mDistance->setText(QStringLiteral("Distance: %1 (0 is lossless)")
                               .arg(double(ZvImageJXL::DistanceOfQuality(mQualitySpin->value())), 0, 'f', 2));
}

void CFormatQualityDialog::accept()
{
    quality() = mQualitySpin->value();
    if (mLossless)
        (mFormat == kFormatWebp ? mSettings.WebpLossless : mSettings.JxlLossless) = mLossless->isChecked();
    if (mSpeed)
        mSettings.AvifSpeed = mSpeed->value();
    QDialog::accept();
}
