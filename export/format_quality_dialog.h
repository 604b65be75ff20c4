// export/format_quality_dialog.h
#pragma once

#include "export/export_codec_settings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSlider;
class QSpinBox;

// The Option dialog of WebP, AVIF and JPEG XL: the quality 0..100 with a
// slider and a spin that follow one another, and what the format adds:
// WebP and JPEG XL a lossless switch (which makes the quality moot), AVIF
// the encoder's speed, JPEG XL the distance the quality stands for. The
// caller sets the settings and the format (kFormatWebp, kFormatAvif,
// kFormatJxl), runs the dialog and takes Settings() back only on OK; the
// other formats' values pass through untouched. Object names:
// qualitySlider, qualitySpin, losslessCheck, speedSpin, distanceLabel.
// UI thread only.
class CFormatQualityDialog : public QDialog
{
    Q_OBJECT

  public:
    CFormatQualityDialog(int format, const ExportCodecSettings &settings, QWidget *parent = nullptr);

    const ExportCodecSettings &Settings() const { return mSettings; }

  public slots:
    void accept() override;

  private:
    int &quality();
    void updateEnabled();
    void updateDistance();

    int mFormat;
    ExportCodecSettings mSettings;
    QSlider *mSlider = nullptr;
    QSpinBox *mQualitySpin = nullptr;
    QCheckBox *mLossless = nullptr; // WebP and JPEG XL
    QSpinBox *mSpeed = nullptr;     // AVIF
    QLabel *mDistance = nullptr;    // JPEG XL
};
