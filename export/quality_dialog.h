// export/quality_dialog.h
#pragma once

#include <QDialog>

class CUpDown;
class QLineEdit;
class QSlider;

// "Quality": JPEG quality with a slider, a field and a spin that follow one
// another, and the X and Y resolution. The caller sets the three values,
// runs the dialog and takes them back only on OK. The slider, the three
// fields and the quality spin carry the object names qualitySlider,
// qualityField, xField, yField and qualitySpin.
class CQualityDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit CQualityDialog(QWidget *parent = nullptr);

    void SetValues(unsigned quality, unsigned xResolution, unsigned yResolution);
    unsigned Quality() const { return mQuality; }
    unsigned XResolution() const { return mXResolution; }
    unsigned YResolution() const { return mYResolution; }

  public slots:
    // OK: checks quality, Y and X resolution in this order; a bad field is
    // reported, selected and the dialog stays open.
    void accept() override;

  private:
    QWidget *createQualityGroup();
    QWidget *createResolutionGroup();
    void fillControls();
    bool readField(QLineEdit *field, unsigned upper, unsigned &member);
    void onQualityEdited(const QString &text);

    unsigned mQuality = 0;
    unsigned mYResolution = 0;
    unsigned mXResolution = 0;
    QSlider *mSlider = nullptr;
    QLineEdit *mQualityField = nullptr;
    CUpDown *mQualitySpin = nullptr;
    QLineEdit *mXField = nullptr;
    CUpDown *mXSpin = nullptr;
    QLineEdit *mYField = nullptr;
    CUpDown *mYSpin = nullptr;
};
