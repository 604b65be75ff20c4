// caption/caption_box_controls.h
#pragma once

#include "caption/box_fields.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;

// The "Box" tab of the Batch Settings page: "Size with the picture", the
// box's position and size fields (X and Y from the anchor corner, width,
// height) in picture pixels or per cent of the picture, and the Centre and
// Reset box actions. It holds no design: the page shows values with
// ShowFields / ShowSizeWithPicture (no signals) and turns the signals into
// changes of the box. Object names: "sizeWithPicture", "unit", "boxX",
// "boxY", "boxWidth", "boxHeight", "centre", "resetBox". A field reports
// its value when Enter is pressed, the focus leaves it or an arrow steps
// it. UI thread only.
class CCaptionBoxControls : public QWidget
{
    Q_OBJECT
  public:
    explicit CCaptionBoxControls(QWidget *parent = nullptr);

    FieldUnit Unit() const;
    void ShowFields(const BoxFields &fields);
    void ShowSizeWithPicture(bool on);

  signals:
    void sizeWithPictureToggled(bool on);
    // One field's new value, in the unit shown; the others are as they were.
    void fieldEdited(BoxField field, double value);
    void unitChanged();
    void centreRequested();
    void resetRequested();

  private:
    QCheckBox *mSizeWithPicture = nullptr;
    QComboBox *mUnit = nullptr;
    QDoubleSpinBox *mFields[4] = {}; // x, y, width, height
    QPushButton *mCentre = nullptr;
    QPushButton *mReset = nullptr;
};
