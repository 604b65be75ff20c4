// tests/export/export_dialog_test.cpp
#include "app/main_dialog.h"
#include "caption/caption_source.h"
#include "controls/up_down.h"
#include "export/export_dialog.h"
#include "export/export_row_source.h"
#include "export/progress_dialog.h"
#include "export/quality_dialog.h"
#include "imagelib/core/image.h"
#include "platform/profile_store.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/message_recorder.h"
#include "tests/support/pictures.h"
#include "tests/support/widget_lookup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr COLORREF kBlue = 0xFF0000;

// The selected-image list and the caption as the pages would give them.
class StandInRows : public ExportRowSource
{
  public:
    std::vector<ExportRow> ExportRows() const override { return rows; }
    std::vector<ExportRow> rows;
};

class StandInCaption : public CaptionSource
{
  public:
    std::optional<CaptionSettings> ExportCaption() const override { return caption; }
    std::optional<CaptionSettings> caption;
};

std::string freshProfile(const std::string &name, const std::string &text = {})
{
    const std::string path = scratchDir() + "/" + name + ".ini";
    std::filesystem::remove(path);
    if (!text.empty())
        std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string fileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

ExportRow rowFor(const std::string &path)
{
    return {std::filesystem::path(path).filename().string(), path, "0"};
}

std::vector<std::string> filesIn(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void chooseFormat(CExportDialog &d, int index)
{
    d.formatList()->setCurrentIndex(index);
    emit d.formatList()->activated(index);
}

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      button->rect().center() - QPoint(button->width() / 3, 0));
}

// The enabled state of the resize group's controls, in a fixed order.
std::vector<bool> resizeEnabled(const CExportDialog &d)
{
    return {d.widthField()->isEnabled(),
            d.heightField()->isEnabled(),
            d.unitList()->isEnabled(),
            d.stretchCheck()->isEnabled(),
            d.aspectCheck()->isEnabled(),
            d.restrictWidthCheck()->isEnabled(),
            d.restrictHeightCheck()->isEnabled(),
            d.qualityList()->isEnabled()};
}

} // namespace

TEST(ExportDialog, FirstOpeningValidatesInOrder)
{
    const std::string path = freshProfile("first");
    ProfileStore profile(path);
    StandInRows rows;
    CExportDialog d(profile, &rows, nullptr, nullptr);
    MessageRecorder boxes;
    EXPECT_TRUE(d.specifyFolderRadio()->isChecked());
    EXPECT_TRUE(d.folderField()->text().isEmpty());
    EXPECT_TRUE(d.keepNameRadio()->isChecked());
    EXPECT_FALSE(d.prefixField()->isEnabled());
    EXPECT_EQ(d.prefixField()->text(), QStringLiteral("Photo"));
    EXPECT_EQ(d.exampleLabel()->text(),
              QStringLiteral("Example:Photo0001.###,Photo0002.###,Photo0003.###,..."));
    EXPECT_FALSE(d.optionButton()->isEnabled());
    EXPECT_EQ(d.formatList()->count(), 8);
    EXPECT_EQ(d.formatList()->itemText(4), QStringLiteral("TIFF(Tagged Image File Format)"));

    click(d.startButton());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.last(), QStringLiteral("You must specify output folder!"));
    EXPECT_EQ(boxes.boxes[0].icon, unsigned(MB_ICONINFORMATION));
    EXPECT_FALSE(std::filesystem::exists(path)); // nothing stored

    d.SetFolderChooser([](QWidget *, const QString &caption, const QString &start) {
        EXPECT_EQ(caption, QStringLiteral("Select export folder for images."));
        EXPECT_FALSE(start.isEmpty()); // the documents folder when none is known
        return QStringLiteral("/tmp");
    });
    click(d.selectFolderButton());
    EXPECT_EQ(d.folderField()->text(), QStringLiteral("/tmp"));
    click(d.specifyNameRadio());
    EXPECT_TRUE(d.prefixField()->isEnabled());
    d.prefixField()->clear();
    click(d.startButton());
    EXPECT_EQ(boxes.last(), QStringLiteral("You must specify filename prefix!"));
    QTest::keyClicks(d.prefixField(), QStringLiteral("Trip"));
    EXPECT_EQ(d.exampleLabel()->text(), QStringLiteral("Example:Trip0001.###,Trip0002.###,Trip0003.###,..."));
    click(d.startButton());
    EXPECT_EQ(boxes.last(), QStringLiteral("You must select image file at first!"));
    EXPECT_EQ(boxes.boxes.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(path));
    // A cancelled folder browser changes nothing.
    d.SetFolderChooser([](QWidget *, const QString &, const QString &start) {
        EXPECT_EQ(start, QStringLiteral("/tmp"));
        return QString();
    });
    click(d.selectFolderButton());
    EXPECT_EQ(d.folderField()->text(), QStringLiteral("/tmp"));
}

TEST(ExportDialog, ResizeAspectAndRestrictRulesByClicks)
{
    ProfileStore profile(
        freshProfile("rules", "[Export Option]\nSavePrifix=-1\nResizeImage=0\nAspectRatio=1\n"));
    CExportDialog d(profile, nullptr, nullptr, nullptr);
    d.show();
    const std::vector<bool> none(8, false);
    EXPECT_EQ(resizeEnabled(d), none); // resize off: all off whatever is stored
    EXPECT_TRUE(d.aspectCheck()->isChecked());

    QTest::keyClick(d.resizeGroup(), Qt::Key_Space); // tick "Resize image"
    ASSERT_TRUE(d.resizeGroup()->isChecked());
    // Aspect kept, width restricted: the height entry governs.
    EXPECT_EQ(resizeEnabled(d), std::vector<bool>({false, true, true, true, true, true, true, true}));
    click(d.restrictHeightCheck());
    EXPECT_TRUE(d.restrictHeightCheck()->isChecked());
    EXPECT_FALSE(d.restrictWidthCheck()->isChecked());
    EXPECT_TRUE(d.widthField()->isEnabled());
    EXPECT_FALSE(d.heightField()->isEnabled());
    click(d.restrictHeightCheck()); // the ticked one stays ticked
    EXPECT_TRUE(d.restrictHeightCheck()->isChecked());
    EXPECT_FALSE(d.restrictWidthCheck()->isChecked());
    EXPECT_FALSE(d.heightField()->isEnabled());

    click(d.aspectCheck()); // aspect off: both entries, no restrict pair
    EXPECT_EQ(resizeEnabled(d), std::vector<bool>({true, true, true, true, true, false, false, true}));
    click(d.aspectCheck());
    EXPECT_FALSE(d.heightField()->isEnabled());
    QTest::keyClick(d.resizeGroup(), Qt::Key_Space);
    EXPECT_EQ(resizeEnabled(d), none);

    chooseFormat(d, 2);
    EXPECT_FALSE(d.optionButton()->isEnabled());
    EXPECT_EQ(d.exampleLabel()->text(),
              QStringLiteral("Example:Photo0001.GIF,Photo0002.GIF,Photo0003.GIF,..."));
    chooseFormat(d, 1);
    EXPECT_TRUE(d.optionButton()->isEnabled());
    click(d.keepFolderRadio());
    EXPECT_FALSE(d.folderField()->isEnabled());
    EXPECT_FALSE(d.selectFolderButton()->isEnabled());
    click(d.specifyFolderRadio());
    EXPECT_TRUE(d.selectFolderButton()->isEnabled());
}

TEST(ExportDialog, CancelStoresNothingAndStartStoresEveryKey)
{
    const std::string path = freshProfile("roundtrip", "[Export Option]\nSaveFolder=/tmp\nResizeImage=1\n");
    const std::string before = fileText(path);
    ProfileStore profile(path);
    const std::string src = freshFolder("dialog-roundtrip-src");
    StandInRows rows;
    rows.rows.push_back(rowFor(writePicture(src + "/a.png", 20, 10, ZV_TYPE_PNG)));
    MessageRecorder boxes;
    {
        CExportDialog d(profile, &rows, nullptr, nullptr);
        chooseFormat(d, 3);
        click(d.stretchCheck());
        click(d.cancelButton());
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_EQ(fileText(path), before);
    const std::string out = freshFolder("dialog-roundtrip-out");
    {
        CExportDialog d(profile, &rows, nullptr, nullptr);
        d.show();
        d.SetFolderChooser(
            [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
        click(d.selectFolderButton());
        chooseFormat(d, 3);
        click(d.stretchCheck());
        d.widthField()->setText(QStringLiteral("50"));
        d.unitList()->setCurrentIndex(1);
        click(d.startButton());
        EXPECT_TRUE(d.isVisible()); // still open for the next run
    }
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(boxes.last(), QString::fromStdString("1 files saved to [" + out + "]!"));
    EXPECT_EQ(boxes.boxes.back().icon, unsigned(MB_ICONNONE));
    EXPECT_EQ(filesIn(out), std::vector<std::string>({"a.BMP"}));
    EXPECT_EQ(profile.GetProfileString("Export Option", "SaveFolder"), out);
    EXPECT_EQ(profile.GetProfileString("Export Option", "SaveFormat"), "3");
    EXPECT_EQ(profile.GetProfileString("Export Option", "AllowStretch"), "0");
    EXPECT_EQ(profile.GetProfileString("Export Option", "ResizeWidth"), "50");
    EXPECT_EQ(profile.GetProfileString("Export Option", "Unit"), "1");
    EXPECT_EQ(profile.GetProfileString("Export Option", "SavePrifix"), "-1");
    EXPECT_EQ(profile.GetProfileString("Export Option", "Quality"), "1");
    // The next opening shows what was stored.
    CExportDialog again(profile, &rows, nullptr, nullptr);
    EXPECT_EQ(again.formatList()->currentIndex(), 3);
    EXPECT_FALSE(again.stretchCheck()->isChecked());
    EXPECT_TRUE(again.resizeGroup()->isChecked());
    EXPECT_EQ(again.widthField()->text(), QStringLiteral("50"));
    EXPECT_EQ(again.unitList()->currentIndex(), 1);
}

TEST(ExportDialog, DamagedProfileOpensWithDefaults)
{
    std::string garbage = "\xff\xfe[Export Option\n=\nSaveFormat=9\nUnit=-4\nQuality=abc\nRestrictWidth=0\n";
    garbage += std::string(3000, '\0') + "\n[Export Option]\nJpegQuality=zz\n";
    ProfileStore profile(freshProfile("damaged", garbage));
    CExportDialog d(profile, nullptr, nullptr, nullptr);
    EXPECT_GE(d.formatList()->currentIndex(), 0);
    EXPECT_GE(d.unitList()->currentIndex(), 0);
    EXPECT_GE(d.qualityList()->currentIndex(), 0);
    // Exactly one of the restrict pair is ticked.
    EXPECT_NE(d.restrictWidthCheck()->isChecked(), d.restrictHeightCheck()->isChecked());
    ProfileStore missingFolder(scratchDir() + "/no/such/folder/p.ini");
    CExportDialog d2(missingFolder, nullptr, nullptr, nullptr);
    EXPECT_EQ(d2.prefixField()->text(), QStringLiteral("Photo"));
}

TEST(ExportDialog, QualityDialogKeepsItsControlsTogetherAndChecksRanges)
{
    ProfileStore profile(freshProfile("quality", "[Export Option]\nSaveFormat=1\n"));
    CExportDialog d(profile, nullptr, nullptr, nullptr);
    d.show();
    MessageRecorder boxes;
    QTimer::singleShot(0, [&] {
        auto *q = qobject_cast<CQualityDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->qualityField()->text(), QStringLiteral("90"));
        EXPECT_EQ(q->slider()->value(), 90);
        EXPECT_EQ(q->qualitySpin()->GetPos(), 90);
        q->qualityField()->clear();
        QTest::keyClicks(q->qualityField(), QStringLiteral("35"));
        EXPECT_EQ(q->slider()->value(), 35);
        EXPECT_EQ(q->qualitySpin()->GetPos(), 35);
        q->slider()->setValue(60);
        EXPECT_EQ(q->qualityField()->text(), QStringLiteral("60"));
        q->xField()->setText(QStringLiteral("1200"));
        q->yField()->setText(QStringLiteral("abc"));
        q->accept(); // Y is checked before X
        EXPECT_EQ(boxes.last(), QStringLiteral("Please enter a positive integer."));
        q->yField()->setText(QStringLiteral("150"));
        q->accept();
        EXPECT_EQ(boxes.last(), QStringLiteral("Please enter an integer between 0 and 1000."));
        EXPECT_TRUE(q->isVisible());
        q->xField()->setText(QStringLiteral("1000"));
        QTest::keyClick(q->qualityField(), Qt::Key_Up); // the spin steps the field
        EXPECT_EQ(q->qualityField()->text(), QStringLiteral("61"));
        q->accept();
    });
    click(d.optionButton());
    EXPECT_EQ(d.Options().JpegQuality, 61);
    EXPECT_EQ(d.Options().XResolution, 1000);
    EXPECT_EQ(d.Options().YResolution, 150);
    // Cancel keeps the values.
    QTimer::singleShot(0, [&] {
        auto *q = qobject_cast<CQualityDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(q, nullptr);
        q->qualityField()->setText(QStringLiteral("5"));
        q->reject();
    });
    click(d.optionButton());
    EXPECT_EQ(d.Options().JpegQuality, 61);
}

TEST(ExportDialog, StartTwiceContinuesTheCounter)
{
    ProfileStore profile(freshProfile("twice"));
    const std::string src = freshFolder("twice-src"), out = freshFolder("twice-out");
    StandInRows rows;
    rows.rows = {rowFor(writePicture(src + "/a.bmp", 16, 12, ZV_TYPE_BMP)),
                 rowFor(writePicture(src + "/b.png", 12, 16, ZV_TYPE_PNG))};
    CExportDialog d(profile, &rows, nullptr, nullptr);
    d.SetFolderChooser(
        [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
    click(d.selectFolderButton());
    click(d.specifyNameRadio());
    chooseFormat(d, 1);
    MessageRecorder boxes;
    click(d.startButton());
    click(d.startButton());
    EXPECT_EQ(filesIn(out),
              std::vector<std::string>({"Photo0000.JPG", "Photo0001.JPG", "Photo0002.JPG", "Photo0003.JPG"}));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, QString::fromStdString("2 files saved to [" + out + "]!"));
    EXPECT_EQ(profile.GetProfileString("Export Option", "SavePrifix"), "Photo");
}

TEST(ExportDialog, OverwriteQuestionAndEscapeDuringTheRun)
{
    ProfileStore profile(freshProfile("overwrite", "[Export Option]\nSaveFolder=-1\n"));
    const std::string src = freshFolder("overwrite-src");
    StandInRows rows;
    for (const char *name : {"a.png", "b.png", "c.png"})
        rows.rows.push_back(rowFor(writePicture(src + "/" + name, 10, 10, ZV_TYPE_PNG)));
    CExportDialog d(profile, &rows, nullptr, nullptr);
    MessageRecorder boxes;
    boxes.answers = {IDNO, IDCANCEL};
    click(d.startButton());
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("File already exists,overwrite?"));
    EXPECT_EQ(boxes.boxes[0].buttons, unsigned(MB_YESNOCANCEL));
    EXPECT_EQ(boxes.boxes[0].icon, unsigned(MB_ICONQUESTION));
    // The summary names the picture kept by No on a line of its own.
    EXPECT_TRUE(boxes.boxes[2].text.startsWith(QString::fromStdString("0 files saved to [" + src + "/]!")));
    EXPECT_TRUE(boxes.boxes[2].text.contains(QStringLiteral("[a.png] not saved:")));

    // Escape while the run pumps: the run ends after the current picture.
    boxes.boxes.clear();
    boxes.answers = {IDYES, IDYES, IDYES};
    QTimer::singleShot(0, [] {
        QWidget *target =
            QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        if (!target)
            target = QApplication::topLevelWidgets().first();
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    click(d.startButton());
    EXPECT_EQ(boxes.last(), QString::fromStdString("1 files saved to [" + src + "/]!"));
    EXPECT_FALSE(d.IsRunning());
}

// A picture that takes long to make does not freeze the progress window.
TEST(ExportDialog, TheWindowAnswersWhileALargePictureIsMade)
{
    ProfileStore profile(freshProfile("large"));
    const std::string src = freshFolder("large-src"), out = freshFolder("large-out");
    ASSERT_TRUE(makeNoise(2000, 2000, 24, 3).Save((src + "/noise.png").c_str(), ZV_TYPE_PNG));
    StandInRows rows;
    rows.rows = {rowFor(src + "/noise.png")};
    CExportDialog d(profile, &rows, nullptr, nullptr);
    d.SetFolderChooser(
        [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
    click(d.selectFolderButton());
    MessageRecorder boxes;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks += d.IsRunning(); });
    timer.start(10);
    click(d.startButton());
    EXPECT_EQ(boxes.last(), QString::fromStdString("1 files saved to [" + out + "]!"));
    EXPECT_GE(ticks, 4); // one picture alone pumps twice: before it and after it
}

// From the main window's Export button to the files on disk.
TEST(ExportDialog, ExportButtonWritesCaptionedPictures)
{
    ProfileStore profile(freshProfile("whole"));
    const std::string src = freshFolder("whole-src"), out = freshFolder("whole-out");
    StandInRows rows;
    rows.rows = {rowFor(writePicture(src + "/wide.png", 120, 80, ZV_TYPE_PNG)),
                 rowFor(writePicture(src + "/tall.bmp", 60, 90, ZV_TYPE_BMP))};
    rows.rows[1].rotation = "90";
    StandInCaption caption;
    CaptionSettings box;
    box.text.clear();
    box.backColor = kBlue;
    box.anchor = CaptionAnchor::BottomRight;
    box.offsets = {30, 20, 10, 5}; // a 20 x 15 box 10 in from the right, 5 up from the bottom
    caption.caption = box;
    CMainDialog w(profile);
    w.SetExportSources(&rows, &caption);
    w.show();
    MessageRecorder boxes;
    bool ran = false;
    QTimer::singleShot(0, [&] {
        CExportDialog *d = topLevelWindow<CExportDialog>();
        ASSERT_NE(d, nullptr);
        d->SetFolderChooser(
            [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
        click(d->selectFolderButton());
        chooseFormat(*d, 5);
        click(d->startButton());
        ran = true;
        EXPECT_TRUE(w.isEnabled()); // enabled again after the run
        click(d->cancelButton());
    });
    click(w.findChild<QPushButton *>(QStringLiteral("exportButton")));
    ASSERT_TRUE(ran);
    EXPECT_EQ(topLevelWindow<CExportDialog>(), nullptr);
    ASSERT_EQ(filesIn(out), std::vector<std::string>({"tall.PNG", "wide.PNG"}));
    ZvImage wide;
    ASSERT_TRUE(wide.Load((out + "/wide.PNG").c_str(), ZV_TYPE_PNG));
    EXPECT_EQ(colourAt(wide, 120 - 20, 80 - 10), kBlue);
    EXPECT_NE(colourAt(wide, 120 - 5, 80 - 10), kBlue);
    EXPECT_NE(colourAt(wide, 10, 10), kBlue);
    ZvImage tall; // turned: 90 x 60
    ASSERT_TRUE(tall.Load((out + "/tall.PNG").c_str(), ZV_TYPE_PNG));
    EXPECT_EQ(tall.GetWidth(), 90u);
    EXPECT_EQ(tall.GetHeight(), 60u);
    EXPECT_EQ(colourAt(tall, 90 - 20, 60 - 10), kBlue);
    EXPECT_EQ(boxes.last(), QString::fromStdString("2 files saved to [" + out + "]!"));
}

TEST(ExportDialog, ClosingTheMainWindowDuringARunEndsItCleanly)
{
    ProfileStore profile(freshProfile("closing"));
    const std::string src = freshFolder("closing-src"), out = freshFolder("closing-out");
    StandInRows rows;
    for (const char *name : {"a.png", "b.png", "c.png", "d.png"})
        rows.rows.push_back(rowFor(writePicture(src + "/" + name, 40, 30, ZV_TYPE_PNG)));
    CMainDialog w(profile);
    w.SetExportSources(&rows, nullptr);
    w.show();
    MessageRecorder boxes;
    QTimer::singleShot(0, [&] {
        CExportDialog *d = topLevelWindow<CExportDialog>();
        ASSERT_NE(d, nullptr);
        d->SetFolderChooser(
            [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
        click(d->selectFolderButton());
        // The window closes while the run pumps before its first picture.
        QTimer::singleShot(0, &w, [&] { w.done(QDialog::Rejected); });
        click(d->startButton());
    });
    click(w.findChild<QPushButton *>(QStringLiteral("exportButton")));
    EXPECT_EQ(topLevelWindow<CExportDialog>(), nullptr);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(filesIn(out), std::vector<std::string>({"a.png"})); // whole files only, no temporaries
    EXPECT_EQ(boxes.last(), QString::fromStdString("1 files saved to [" + out + "]!"));
}

TEST(ExportDialog, UnreadablePicturesAndAMissingFolderReachTheUser)
{
    ProfileStore profile(freshProfile("unreadable"));
    const std::string src = freshFolder("unreadable-src"), out = freshFolder("unreadable-out");
    StandInRows rows;
    rows.rows = {rowFor(src + "/missing.jpg"), rowFor(writePicture(src + "/good.bmp", 8, 8, ZV_TYPE_BMP))};
    CExportDialog d(profile, &rows, nullptr, nullptr);
    d.show();
    d.SetFolderChooser(
        [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
    click(d.selectFolderButton());
    MessageRecorder boxes;
    click(d.startButton());
    const QStringList lines = boxes.last().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString::fromStdString("1 files saved to [" + out + "]!"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("[missing.jpg] not saved"))) << lines[1].toStdString();
    EXPECT_EQ(filesIn(out), std::vector<std::string>({"good.bmp"}));
    // The folder goes away before the next run: a message, nothing written, the dialog usable.
    std::filesystem::remove_all(out);
    click(d.startButton());
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("Cannot write into the output folder")))
        << boxes.last().toStdString();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.startButton()->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(out));
}
