// export/export_dialog.cpp
#include "export/export_dialog.h"

#include "caption/caption_source.h"
#include "controls/markup_tip.h"
#include "controls/tip_markup.h"
#include "export/export_dialog_rules.h"
#include "export/export_progress.h"
#include "export/export_row_source.h"
#include "export/export_run.h"
#include "export/format_quality_dialog.h"
#include "export/output_decision.h"
#include "export/picture_pipeline.h"
#include "export/plan_window.h"
#include "export/quality_dialog.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

QString systemFolderBrowser(QWidget *parent, const QString &caption, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
}

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

CExportDialog::CExportDialog(ProfileStore &profile, ExportRowSource *rows, CaptionSource *caption,
                             QWidget *owner)
    : QDialog(nullptr)
    , mProfile(profile)
    , mRows(rows)
    , mCaption(caption)
    , mOwner(owner)
    , mChooseFolder(systemFolderBrowser)
    , mTip(std::make_unique<CMarkupTip>())
{
    // Not a child of the main window: the progress of a run disables that
    // window while this dialog stays usable.
    setWindowTitle(QStringLiteral("Export option"));
    setWindowModality(Qt::ApplicationModal);
    if (owner && owner->window()->windowHandle()) {
        winId();
        windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createFolderGroup());
    layout->addWidget(createNameGroup());
    layout->addWidget(createFormatGroup());
    layout->addWidget(createResizeGroup());
    layout->addStretch();
    layout->addWidget(createButtons());
    nameControls();

    mOptions.Load(mProfile);
    normaliseForDialog(mOptions);
    fillControls();
    mPrefixField->setEnabled(mOptions.NameMode == ExportNameMode::Counter);
    applyEnabled();
    updateExample();

    mTip->Create(this);
    mTip->AddTool(mRestrictWidth, tipMarkup("Restrict Width", "Ignore image width."));
    mTip->AddTool(mRestrictHeight, tipMarkup("Restrict Height", "Ignore image height."));
    mTip->ConfigureAsPage();
    if (owner && owner->window()->isVisible())
        move(owner->window()->frameGeometry().center() -
             QPoint(sizeHint().width() / 2, sizeHint().height() / 2));
}

CExportDialog::~CExportDialog() = default;

QWidget *CExportDialog::createFolderGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Save To Folder:"), this);
    auto *grid = new QGridLayout(group);
    mKeepFolder = new QRadioButton(QStringLiteral("&Remain original folder(No recommendation)"), group);
    mSpecifyFolder = new QRadioButton(QStringLiteral("S&pecify folder"), group);
    mFolderField = new QLineEdit(group);
    mFolderField->setReadOnly(true);
    mFolderField->setMinimumWidth(320);
    mSelectFolder = new QPushButton(QStringLiteral("Select Fol&der"), group);
    mSelectFolder->setAutoDefault(false);
    auto *radios = new QButtonGroup(group);
    radios->addButton(mKeepFolder);
    radios->addButton(mSpecifyFolder);
    grid->addWidget(mKeepFolder, 0, 0, 1, 2);
    grid->addWidget(mSpecifyFolder, 1, 0, 1, 2);
    grid->addWidget(mFolderField, 2, 0);
    grid->addWidget(mSelectFolder, 2, 1);
    grid->setColumnStretch(0, 1);
    auto folderMode = [this](bool specify) {
        mFolderField->setEnabled(specify);
        mSelectFolder->setEnabled(specify);
    };
    connect(mKeepFolder, &QRadioButton::clicked, this, [folderMode] { folderMode(false); });
    connect(mSpecifyFolder, &QRadioButton::clicked, this, [folderMode] { folderMode(true); });
    connect(mSelectFolder, &QPushButton::clicked, this, &CExportDialog::onSelectFolder);
    return group;
}

QWidget *CExportDialog::createNameGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Saved File Prifix:"), this);
    auto *grid = new QGridLayout(group);
    mKeepName = new QRadioButton(QStringLiteral("Remain original &filename"), group);
    mSpecifyName = new QRadioButton(QStringLiteral("Specify file&name"), group);
    mPrefixField = new QLineEdit(group);
    mExample = new QLabel(group);
    mExample->setTextFormat(Qt::PlainText);
    auto *radios = new QButtonGroup(group);
    radios->addButton(mKeepName);
    radios->addButton(mSpecifyName);
    grid->addWidget(mKeepName, 0, 0, 1, 2);
    grid->addWidget(mSpecifyName, 1, 0);
    grid->addWidget(mPrefixField, 1, 1);
    grid->addWidget(mExample, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    connect(mKeepName, &QRadioButton::clicked, this, [this] { mPrefixField->setEnabled(false); });
    connect(mSpecifyName, &QRadioButton::clicked, this, [this] { mPrefixField->setEnabled(true); });
    connect(mPrefixField, &QLineEdit::textEdited, this, &CExportDialog::updateExample);
    return group;
}

QWidget *CExportDialog::createFormatGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Save Format:"), this);
    auto *grid = new QGridLayout(group);
    mFormatList = new QComboBox(group);
    for (int i = 0; i < kExportFormatCount; ++i)
        mFormatList->addItem(QString::fromLatin1(exportFormat(i).listText));
    mOption = new QPushButton(QStringLiteral("&Option"), group);
    mOption->setAutoDefault(false);
    // Camera, date taken, exposure, GPS and colour profile go into the
    // exported files; off by default, so older settings export as before.
    mKeepPhotoInfo = new QCheckBox(QStringLiteral("&Keep photo information"), group);
    grid->addWidget(mFormatList, 0, 0);
    grid->addWidget(mOption, 0, 1);
    grid->addWidget(mKeepPhotoInfo, 1, 0, 1, 2);
    grid->addWidget(createColourChoice(group), 2, 0, 1, 2);
    grid->addWidget(createAutoOrientCheck(group), 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    connect(mFormatList, &QComboBox::activated, this, &CExportDialog::updateExample);
    connect(mOption, &QPushButton::clicked, this, &CExportDialog::onOption);
    connect(mKeepPhotoInfo, &QCheckBox::toggled, this, [this](bool on) {
        mOptions.KeepPhotoInfo = on;
        applyEnabled();
    });
    return group;
}

// What becomes of a picture whose file states a colour space of its own (a
// phone's Display P3): indented under "Keep photo information", whose
// profile it decides about; the list's two entries complete the label's
// sentence.
QWidget *CExportDialog::createColourChoice(QWidget *group)
{
    auto *row = new QWidget(group);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(24, 0, 0, 0);
    mColourLabel = new QLabel(QStringLiteral("Colo&urs:"), row);
    mColourList = new QComboBox(row);
    mColourList->addItems(
        {QStringLiteral("convert to sRGB"), QStringLiteral("keep the picture's own colour profile")});
    mColourLabel->setBuddy(mColourList);
    const QString tip = QStringLiteral(
        "For pictures whose file states a colour space other than sRGB, such as a phone's Display P3.\n"
        "Convert to sRGB: the colours are converted and sRGB's profile is written.\n"
        "Keep: the picture's own colours and profile are written, and the caption's colours\n"
        "are converted into that space so that they look as chosen.\n"
        "Without Keep photo information every picture is converted to sRGB.");
    mColourLabel->setToolTip(tip);
    mColourList->setToolTip(tip);
    layout->addWidget(mColourLabel);
    layout->addWidget(mColourList);
    layout->addStretch();
    return row;
}

// Phones and cameras store portraits sideways with an orientation tag; on
// by default, off for those who want the stored pixels as they are.
QWidget *CExportDialog::createAutoOrientCheck(QWidget *group)
{
    mAutoOrient = new QCheckBox(QStringLiteral("&Turn pictures as the camera held them"), group);
    mAutoOrient->setObjectName(QStringLiteral("autoOrientCheck"));
    return mAutoOrient;
}

QWidget *CExportDialog::createResizeGroup()
{
    mResizeGroup = new QGroupBox(QStringLiteral("Resi&ze image"), this);
    mResizeGroup->setCheckable(true);
    auto *grid = new QGridLayout(mResizeGroup);
    mWidthLabel = new QLabel(QStringLiteral("Width:"), mResizeGroup);
    mWidthField = new QLineEdit(mResizeGroup);
    mHeightLabel = new QLabel(QStringLiteral("Height:"), mResizeGroup);
    mHeightField = new QLineEdit(mResizeGroup);
    mUnitLabel = new QLabel(QStringLiteral("Unit:"), mResizeGroup);
    mUnitList = new QComboBox(mResizeGroup);
    mUnitList->addItems({QStringLiteral("Pixel"), QStringLiteral("Percent(%)")});
    mStretch = new QCheckBox(QStringLiteral("Allow image str&etch"), mResizeGroup);
    mAspect = new QCheckBox(QStringLiteral("&Maintain aspect ratio"), mResizeGroup);
    mRestrictWidth = new QCheckBox(QStringLiteral("Restrict &width"), mResizeGroup);
    mRestrictHeight = new QCheckBox(QStringLiteral("Restrict &height"), mResizeGroup);
    mQualityLabel = new QLabel(QStringLiteral("Image quality:"), mResizeGroup);
    mQualityList = new QComboBox(mResizeGroup);
    mQualityList->addItems(
        {QStringLiteral("Low(fast)"), QStringLiteral("Middle(Normal)"), QStringLiteral("High(slow)")});
    for (QLineEdit *field : {mWidthField, mHeightField})
        field->setMaximumWidth(90);
    grid->addWidget(mWidthLabel, 0, 0);
    grid->addWidget(mWidthField, 0, 1);
    grid->addWidget(mStretch, 0, 3);
    grid->addWidget(mHeightLabel, 1, 0);
    grid->addWidget(mHeightField, 1, 1);
    grid->addWidget(mAspect, 1, 3);
    grid->addWidget(mUnitLabel, 2, 0);
    grid->addWidget(mUnitList, 2, 1);
    grid->addWidget(mRestrictWidth, 2, 3);
    grid->addWidget(mQualityLabel, 3, 0);
    grid->addWidget(mQualityList, 3, 1);
    grid->addWidget(mRestrictHeight, 3, 3);
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(4, 1);
    connect(mResizeGroup, &QGroupBox::clicked, this, [this](bool on) {
        mOptions.ResizeImage = on;
        applyEnabled();
    });
    connect(mAspect, &QCheckBox::clicked, this, [this](bool on) {
        mOptions.AspectRatio = on;
        applyEnabled();
    });
    connect(mRestrictWidth, &QCheckBox::clicked, this, [this] { onRestrictClicked(true); });
    connect(mRestrictHeight, &QCheckBox::clicked, this, [this] { onRestrictClicked(false); });
    return mResizeGroup;
}

QWidget *CExportDialog::createButtons()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    // What a run would do, before it writes anything.
    mCheck = new QPushButton(QStringLiteral("&Check"), row);
    mCheck->setAutoDefault(false);
    connect(mCheck, &QPushButton::clicked, this, &CExportDialog::onCheck);
    mStart = new QPushButton(QStringLiteral("&Start"), row);
    mCancel = new QPushButton(QStringLiteral("Cance&l"), row);
    mStart->setDefault(true);
    mCancel->setAutoDefault(false);
    for (QPushButton *button : {mStart, mCancel})
        button->setMinimumWidth(90);
    layout->addWidget(mCheck);
    layout->addStretch();
    layout->addWidget(mStart);
    layout->addWidget(mCancel);
    connect(mStart, &QPushButton::clicked, this, &CExportDialog::RunExport);
    connect(mCancel, &QPushButton::clicked, this, &CExportDialog::reject);
    return row;
}

void CExportDialog::nameControls()
{
    const std::pair<QWidget *, const char *> names[] = {
        {mKeepFolder, "keepFolderRadio"},
        {mSpecifyFolder, "specifyFolderRadio"},
        {mFolderField, "folderField"},
        {mSelectFolder, "selectFolderButton"},
        {mKeepName, "keepNameRadio"},
        {mSpecifyName, "specifyNameRadio"},
        {mPrefixField, "prefixField"},
        {mExample, "exampleLabel"},
        {mFormatList, "formatList"},
        {mOption, "optionButton"},
        {mKeepPhotoInfo, "keepPhotoInfoCheck"},
        {mColourList, "colourList"},
        {mResizeGroup, "resizeGroup"},
        {mWidthField, "widthField"},
        {mHeightField, "heightField"},
        {mUnitList, "unitList"},
        {mStretch, "stretchCheck"},
        {mAspect, "aspectCheck"},
        {mRestrictWidth, "restrictWidthCheck"},
        {mRestrictHeight, "restrictHeightCheck"},
        {mQualityList, "qualityList"},
        {mCheck, "checkButton"},
        {mStart, "startButton"},
        {mCancel, "cancelButton"},
    };
    for (const auto &[widget, name] : names)
        widget->setObjectName(QLatin1String(name));
}

void CExportDialog::readControls(ExportOptions &o) const
{
    o.FolderMode =
        mSpecifyFolder->isChecked() ? ExportFolderMode::OutputFolder : ExportFolderMode::PictureFolder;
    o.OutputFolder = mFolderField->text().toStdString();
    o.NameMode = mSpecifyName->isChecked() ? ExportNameMode::Counter : ExportNameMode::Keep;
    o.Prefix = mPrefixField->text().toStdString();
    o.Format = std::max(0, mFormatList->currentIndex());
    o.ResizeImage = mResizeGroup->isChecked();
    o.ResizeWidth = mWidthField->text().toStdString();
    o.ResizeHeight = mHeightField->text().toStdString();
    o.Unit = std::max(0, mUnitList->currentIndex());
    o.AllowStretch = mStretch->isChecked();
    o.AspectRatio = mAspect->isChecked();
    o.RestrictWidth = mRestrictWidth->isChecked();
    o.RestrictHeight = mRestrictHeight->isChecked();
    o.Quality = std::max(0, mQualityList->currentIndex());
    o.KeepPhotoInfo = mKeepPhotoInfo->isChecked();
    // Read while disabled too: the choice is kept for when the box is ticked again.
    o.KeepColourSpace = mColourList->currentIndex() == 1;
    o.AutoOrient = mAutoOrient->isChecked();
}

void CExportDialog::fillControls()
{
    const ExportOptions &o = mOptions;
    (o.FolderMode == ExportFolderMode::OutputFolder ? mSpecifyFolder : mKeepFolder)->setChecked(true);
    mFolderField->setText(qs(o.OutputFolder));
    (o.NameMode == ExportNameMode::Counter ? mSpecifyName : mKeepName)->setChecked(true);
    mPrefixField->setText(qs(o.Prefix));
    mFormatList->setCurrentIndex(o.Format);
    mResizeGroup->setChecked(o.ResizeImage);
    mWidthField->setText(qs(o.ResizeWidth));
    mHeightField->setText(qs(o.ResizeHeight));
    mUnitList->setCurrentIndex(o.Unit);
    mStretch->setChecked(o.AllowStretch);
    mAspect->setChecked(o.AspectRatio);
    mRestrictWidth->setChecked(o.RestrictWidth);
    mRestrictHeight->setChecked(o.RestrictHeight);
    mQualityList->setCurrentIndex(o.Quality);
    mKeepPhotoInfo->setChecked(o.KeepPhotoInfo);
    mColourList->setCurrentIndex(o.KeepColourSpace ? 1 : 0);
    mAutoOrient->setChecked(o.AutoOrient);
}

void CExportDialog::applyEnabled()
{
    const ExportControls c = enabledControls(mOptions);
    mWidthLabel->setEnabled(c.width);
    mWidthField->setEnabled(c.width);
    mHeightLabel->setEnabled(c.height);
    mHeightField->setEnabled(c.height);
    mUnitLabel->setEnabled(c.unit);
    mUnitList->setEnabled(c.unit);
    mStretch->setEnabled(c.stretch);
    mAspect->setEnabled(c.aspect);
    mRestrictWidth->setEnabled(c.restrictWidth);
    mRestrictHeight->setEnabled(c.restrictHeight);
    mQualityLabel->setEnabled(c.quality);
    mQualityList->setEnabled(c.quality);
    const bool colour = colourChoiceEnabled(mOptions);
    mColourLabel->setEnabled(colour);
    mColourList->setEnabled(colour);
}

void CExportDialog::onRestrictClicked(bool width)
{
    clickRestrict(mOptions, width);
    mRestrictWidth->setChecked(mOptions.RestrictWidth);
    mRestrictHeight->setChecked(mOptions.RestrictHeight);
    applyEnabled();
}

void CExportDialog::updateExample()
{
    readControls(mOptions);
    mExample->setText(qs(mOptions.ExampleText()));
    mOption->setEnabled(hasQualityOptions(mOptions.Format) && !mRunning);
}

void CExportDialog::onSelectFolder()
{
    QString start = qs(mOptions.OutputFolder);
    if (start.isEmpty())
        start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString chosen = mChooseFolder(this, QStringLiteral("Select export folder for images."), start);
    if (chosen.isEmpty())
        return;
    readControls(mOptions);
    mOptions.OutputFolder = chosen.toStdString();
    mFolderField->setText(chosen);
}

void CExportDialog::onOption()
{
    readControls(mOptions);
    if (mOptions.Format == kFormatWebp || mOptions.Format == kFormatAvif || mOptions.Format == kFormatJxl) {
        CFormatQualityDialog dialog(mOptions.Format, mOptions.Codec, this);
        if (dialog.exec() == QDialog::Accepted)
            mOptions.Codec = dialog.Settings();
        return;
    }
    if (mOptions.Format != kFormatJpeg)
        return;
    CQualityDialog quality(this);
    quality.SetValues(unsigned(std::clamp(mOptions.JpegQuality, 0, 100)),
                      unsigned(std::clamp(mOptions.XResolution, 0, 1000)),
                      unsigned(std::clamp(mOptions.YResolution, 0, 1000)));
    if (quality.exec() != QDialog::Accepted)
        return;
    mOptions.JpegQuality = int(quality.Quality());
    mOptions.XResolution = int(quality.XResolution());
    mOptions.YResolution = int(quality.YResolution());
}

// The job Start would run; false, after the validation message, when the
// options do not pass.
bool CExportDialog::readJob(ExportJob &job)
{
    readControls(mOptions);
    job.rows = mRows ? mRows->ExportRows() : std::vector<ExportRow>();
    const std::string invalid = mOptions.Validate(validationCount(job.rows.size()));
    if (!invalid.empty()) {
        MessageBox(qs(invalid), MB_OK, MB_ICONINFORMATION);
        return false;
    }
    job.options = mOptions;
    job.caption = mCaption ? mCaption->ExportCaption() : std::nullopt;
    return true;
}

void CExportDialog::onCheck()
{
    ExportJob job;
    if (mRunning || !readJob(job))
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportPlan plan = planExport(job);
    QGuiApplication::restoreOverrideCursor();
    CPlanWindow(plan, this).exec();
}

void CExportDialog::RunExport()
{
    if (mRunning)
        return;
    ExportJob job;
    if (!readJob(job))
        return;
    job.profile = &mProfile;
    // Pictures are made on worker threads even on one core, so that the
    // progress window is painted and answers while a large one is made.
    job.jobs = std::max(2, PicturePipeline::defaultJobs());
    ExportProgress progress(mOwner, [this](ExportOptions &o) { optionsDuringRun(o); });
    QPointer<CExportDialog> alive(this);
    mRun = &progress;
    setRunning(true);
    ::RunExport(job, progress);
    if (!alive)
        return;
    mRun = nullptr;
    setRunning(false);
    if (mCloseAfterRun)
        QDialog::reject();
}

// Fields changed during a run take effect on later pictures; where the
// pictures go and how they are named stay as the run began.
void CExportDialog::optionsDuringRun(ExportOptions &o) const
{
    ExportOptions now = o;
    readControls(now);
    now.FolderMode = o.FolderMode;
    now.OutputFolder = o.OutputFolder;
    now.NameMode = o.NameMode;
    now.Prefix = o.Prefix;
    now.JpegQuality = o.JpegQuality;
    now.XResolution = o.XResolution;
    now.YResolution = o.YResolution;
    o = now;
}

void CExportDialog::setRunning(bool running)
{
    mRunning = running;
    for (QWidget *w :
         {static_cast<QWidget *>(mStart), static_cast<QWidget *>(mCancel), static_cast<QWidget *>(mCheck),
          mKeepFolder->parentWidget(), mKeepName->parentWidget()})
        w->setEnabled(!running);
    mOption->setEnabled(!running && hasQualityOptions(mFormatList->currentIndex()));
}

void CExportDialog::reject()
{
    if (mRunning) {
        mCloseAfterRun = true;
        if (mRun)
            mRun->RequestCancel();
        return;
    }
    QDialog::reject();
}
