// export/quality_dialog.cpp
#include "export/quality_dialog.h"

#include "controls/up_down.h"
#include "export/quality_check.h"
#include "platform/message_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr unsigned kMaxQuality = 100;
constexpr unsigned kMaxResolution = 1000;
// The resolution spins step through 0..100 only; the fields take up to 1000.
constexpr int kResolutionSpinMax = 100;

QLineEdit *numberField(QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setFixedWidth(64);
    field->setMaxLength(10);
    return field;
}

CUpDown *spinFor(QLineEdit *field, int upper, QWidget *parent)
{
    auto *spin = new CUpDown(parent);
    spin->SetBuddy(field);
    spin->SetRange(0, upper);
    spin->setFixedHeight(field->sizeHint().height());
    return spin;
}

QWidget *stackedLabels(const QString &top, const QString &bottom, Qt::Alignment align, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const QString &text : {top, bottom}) {
        auto *label = new QLabel(text, box);
        label->setAlignment(align);
        layout->addWidget(label);
    }
    return box;
}

} // namespace

CQualityDialog::CQualityDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Quality"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createQualityGroup());
    layout->addWidget(createResolutionGroup());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CQualityDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CQualityDialog::reject);
    layout->addWidget(buttons);
    const std::pair<QWidget *, const char *> names[] = {{mSlider, "qualitySlider"},
                                                        {mQualityField, "qualityField"},
                                                        {mQualitySpin, "qualitySpin"},
                                                        {mXField, "xField"},
                                                        {mYField, "yField"}};
    for (const auto &[widget, name] : names)
        widget->setObjectName(QLatin1String(name));
}

QWidget *CQualityDialog::createQualityGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Image quality"), this);
    auto *grid = new QGridLayout(group);
    mSlider = new QSlider(Qt::Horizontal, group);
    mSlider->setRange(0, int(kMaxQuality));
    mSlider->setTickPosition(QSlider::TicksBelow);
    mSlider->setTickInterval(10);
    mSlider->setMinimumWidth(200);
    mQualityField = numberField(group);
    mQualitySpin = spinFor(mQualityField, int(kMaxQuality), group);
    grid->addWidget(
        stackedLabels(QStringLiteral("Best"), QStringLiteral("Commpression"), Qt::AlignLeft, group), 0, 0);
    grid->addWidget(mSlider, 0, 1);
    grid->addWidget(stackedLabels(QStringLiteral("Best"), QStringLiteral("Quality"), Qt::AlignRight, group),
                    0, 2);
    auto *fieldRow = new QHBoxLayout;
    fieldRow->addStretch();
    fieldRow->addWidget(mQualityField);
    fieldRow->addWidget(mQualitySpin);
    fieldRow->addStretch();
    grid->addLayout(fieldRow, 1, 0, 1, 3);

    connect(mSlider, &QSlider::valueChanged, this, [this](int value) { mQualitySpin->SetPos(value); });
    connect(mQualitySpin, &CUpDown::valueChanged, mSlider, &QSlider::setValue);
    connect(mQualityField, &QLineEdit::textEdited, this, &CQualityDialog::onQualityEdited);
    return group;
}

QWidget *CQualityDialog::createResolutionGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Resolution"), this);
    auto *grid = new QGridLayout(group);
    mXField = numberField(group);
    mXSpin = spinFor(mXField, kResolutionSpinMax, group);
    mYField = numberField(group);
    mYSpin = spinFor(mYField, kResolutionSpinMax, group);
    grid->addWidget(new QLabel(QStringLiteral("X Resolution:"), group), 0, 0);
    grid->addWidget(mXField, 0, 1);
    grid->addWidget(mXSpin, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Y Resolution:"), group), 0, 3);
    grid->addWidget(mYField, 0, 4);
    grid->addWidget(mYSpin, 0, 5);
    grid->setColumnStretch(6, 1);
    return group;
}

void CQualityDialog::SetValues(unsigned quality, unsigned xResolution, unsigned yResolution)
{
    mQuality = quality;
    mXResolution = xResolution;
    mYResolution = yResolution;
    fillControls();
}

void CQualityDialog::fillControls()
{
    mQualitySpin->SetPos(int(std::min(mQuality, kMaxQuality)), false);
    mSlider->blockSignals(true);
    mSlider->setValue(int(std::min(mQuality, kMaxQuality)));
    mSlider->blockSignals(false);
    mXSpin->SetPos(int(std::min<unsigned>(mXResolution, kResolutionSpinMax)), false);
    mYSpin->SetPos(int(std::min<unsigned>(mYResolution, kResolutionSpinMax)), false);
    mQualityField->setText(QString::number(mQuality));
    mXField->setText(QString::number(mXResolution));
    mYField->setText(QString::number(mYResolution));
}

// Typing into the field moves the slider and the spin without rewriting
// what is being typed.
void CQualityDialog::onQualityEdited(const QString &text)
{
    const int value = std::clamp(leadingNumber(text), 0, int(kMaxQuality));
    mQualitySpin->SetPos(value, false);
    mSlider->blockSignals(true);
    mSlider->setValue(value);
    mSlider->blockSignals(false);
}

bool CQualityDialog::readField(QLineEdit *field, unsigned upper, unsigned &member)
{
    unsigned value = 0;
    const QString problem = checkUnsignedField(field->text(), 0, upper, value);
    if (!problem.isEmpty()) {
        MessageBox(problem, MB_OK, MB_ICONWARNING);
        field->setFocus();
        field->selectAll();
        return false;
    }
    member = value;
    return true;
}

void CQualityDialog::accept()
{
    unsigned quality = 0;
    unsigned y = 0;
    unsigned x = 0;
    if (!readField(mQualityField, kMaxQuality, quality) || !readField(mYField, kMaxResolution, y) ||
        !readField(mXField, kMaxResolution, x))
        return;
    mQuality = quality;
    mYResolution = y;
    mXResolution = x;
    QDialog::accept();
}
