// export/export_dialog.h
#pragma once

#include "export/export_options.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class CMarkupTip;
class CaptionSource;
struct ExportJob;
class ExportProgress;
class ExportRowSource;
class ProfileStore;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Export option": shows the export options, keeps the controls consistent,
// offers the folder browser and the quality dialog, and runs the batch
// export with Start. It stays open after a run; Cancel closes it and stores
// nothing. The rows and the caption come from the pages through the two
// sources (either may be null: no rows, no caption). The progress of a run
// belongs to owner (the main window), which it disables while it runs.
// The controls carry object names (nameControls), by which tests find them.
class CExportDialog : public QDialog
{
    Q_OBJECT

  public:
    // Folder browser: (parent, caption, starting folder) -> chosen folder or "".
    using FolderChooser = std::function<QString(QWidget *, const QString &, const QString &)>;

    CExportDialog(ProfileStore &profile, ExportRowSource *rows, CaptionSource *caption, QWidget *owner);
    ~CExportDialog() override;

    // Replaces the system folder browser (tests).
    void SetFolderChooser(FolderChooser chooser) { mChooseFolder = std::move(chooser); }

    const ExportOptions &Options() const { return mOptions; }
    bool IsRunning() const { return mRunning; }

  public slots:
    // Start: validates, stores and runs the export; the dialog stays open.
    void RunExport();
    // Cancel (or closing): during a run, ends the run after the current
    // picture and closes afterwards.
    void reject() override;

  private:
    QWidget *createFolderGroup();
    QWidget *createNameGroup();
    QWidget *createFormatGroup();
    QWidget *createColourChoice(QWidget *group);
    QWidget *createAutoOrientCheck(QWidget *group);
    QWidget *createResizeGroup();
    QWidget *createButtons();
    void nameControls();
    void readControls(ExportOptions &options) const;
    void fillControls();
    void applyEnabled();
    void updateExample();
    void onSelectFolder();
    void onOption();
    void onRestrictClicked(bool width);
    void setRunning(bool running);
    void onCheck();
    bool readJob(ExportJob &job);
    void optionsDuringRun(ExportOptions &options) const;

    ProfileStore &mProfile;
    ExportRowSource *mRows;
    CaptionSource *mCaption;
    QPointer<QWidget> mOwner;
    ExportOptions mOptions;
    FolderChooser mChooseFolder;
    std::unique_ptr<CMarkupTip> mTip;
    ExportProgress *mRun = nullptr;
    bool mRunning = false;
    bool mCloseAfterRun = false;

    QRadioButton *mKeepFolder = nullptr;
    QRadioButton *mSpecifyFolder = nullptr;
    QLineEdit *mFolderField = nullptr;
    QPushButton *mSelectFolder = nullptr;
    QRadioButton *mKeepName = nullptr;
    QRadioButton *mSpecifyName = nullptr;
    QLineEdit *mPrefixField = nullptr;
    QLabel *mExample = nullptr;
    QComboBox *mFormatList = nullptr;
    QPushButton *mOption = nullptr;
    QGroupBox *mResizeGroup = nullptr;
    QLabel *mWidthLabel = nullptr;
    QLineEdit *mWidthField = nullptr;
    QLabel *mHeightLabel = nullptr;
    QLineEdit *mHeightField = nullptr;
    QLabel *mUnitLabel = nullptr;
    QComboBox *mUnitList = nullptr;
    QCheckBox *mStretch = nullptr;
    QCheckBox *mAspect = nullptr;
    QCheckBox *mRestrictWidth = nullptr;
    QCheckBox *mRestrictHeight = nullptr;
    QCheckBox *mKeepPhotoInfo = nullptr;
    QLabel *mColourLabel = nullptr;
    QComboBox *mColourList = nullptr;
    QCheckBox *mAutoOrient = nullptr;
    QLabel *mQualityLabel = nullptr;
    QComboBox *mQualityList = nullptr;
    QPushButton *mCheck = nullptr;
    QPushButton *mStart = nullptr;
    QPushButton *mCancel = nullptr;
};
