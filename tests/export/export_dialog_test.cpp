// tests/export/export_dialog_test.cpp
#include "app/main_dialog.h"
#include "caption/caption_source.h"
#include "controls/up_down.h"
#include "export/export_dialog.h"
#include "export/export_dialog_rules.h"
#include "export/export_row_source.h"
#include "export/format_quality_dialog.h"
#include "export/quality_dialog.h"
#include "imagelib/core/image.h"
#include "platform/profile_store.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/message_recorder.h"
#include "tests/support/pictures.h"
#include "tests/support/widget_driver.h"
#include "tests/support/widget_lookup.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
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
    namedList(d, "formatList")->setCurrentIndex(index);
    emit namedList(d, "formatList")->activated(index);
}

// The enabled state of the resize group's controls, in a fixed order.
std::vector<bool> resizeEnabled(const CExportDialog &d)
{
    return {namedField(d, "widthField")->isEnabled(),
            namedField(d, "heightField")->isEnabled(),
            namedList(d, "unitList")->isEnabled(),
            namedButton(d, "stretchCheck")->isEnabled(),
            namedButton(d, "aspectCheck")->isEnabled(),
            namedButton(d, "restrictWidthCheck")->isEnabled(),
            namedButton(d, "restrictHeightCheck")->isEnabled(),
            namedList(d, "qualityList")->isEnabled()};
}

} // namespace

TEST(ExportDialog, FirstOpeningValidatesInOrder)
{
    const std::string path = freshProfile("first");
    ProfileStore profile(path);
    StandInRows rows;
    CExportDialog d(profile, &rows, nullptr, nullptr);
    MessageRecorder boxes;
    // Every control is in reach of the keyboard, each by a key of its own.
    EXPECT_EQ(accessKeyFaults(d), QStringList());
    EXPECT_TRUE(namedButton(d, "specifyFolderRadio")->isChecked());
    EXPECT_TRUE(namedField(d, "folderField")->text().isEmpty());
    EXPECT_TRUE(namedButton(d, "keepNameRadio")->isChecked());
    EXPECT_FALSE(namedField(d, "prefixField")->isEnabled());
    EXPECT_EQ(namedField(d, "prefixField")->text(), QStringLiteral("Photo"));
    EXPECT_EQ(namedChild<QLabel>(d, "exampleLabel")->text(),
              QStringLiteral("Example:Photo0001.###,Photo0002.###,Photo0003.###,..."));
    EXPECT_FALSE(namedButton(d, "optionButton")->isEnabled());
    EXPECT_EQ(namedList(d, "formatList")->count(), 11);
    EXPECT_EQ(namedList(d, "formatList")->itemText(4), QStringLiteral("TIFF(Tagged Image File Format)"));

    click(namedButton(d, "startButton"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.last(), QStringLiteral("You must specify output folder!"));
    EXPECT_EQ(boxes.boxes[0].icon, unsigned(MB_ICONINFORMATION));
    EXPECT_FALSE(std::filesystem::exists(path)); // nothing stored

    d.SetFolderChooser([](QWidget *, const QString &caption, const QString &start) {
        EXPECT_EQ(caption, QStringLiteral("Select export folder for images."));
        EXPECT_FALSE(start.isEmpty()); // the documents folder when none is known
        return QStringLiteral("/tmp");
    });
    click(namedButton(d, "selectFolderButton"));
    EXPECT_EQ(namedField(d, "folderField")->text(), QStringLiteral("/tmp"));
    click(namedButton(d, "specifyNameRadio"));
    EXPECT_TRUE(namedField(d, "prefixField")->isEnabled());
    namedField(d, "prefixField")->clear();
    click(namedButton(d, "startButton"));
    EXPECT_EQ(boxes.last(), QStringLiteral("You must specify filename prefix!"));
    QTest::keyClicks(namedField(d, "prefixField"), QStringLiteral("Trip"));
    EXPECT_EQ(namedChild<QLabel>(d, "exampleLabel")->text(),
              QStringLiteral("Example:Trip0001.###,Trip0002.###,Trip0003.###,..."));
    click(namedButton(d, "startButton"));
    EXPECT_EQ(boxes.last(), QStringLiteral("You must select image file at first!"));
    EXPECT_EQ(boxes.boxes.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(path));
    // A cancelled folder browser changes nothing.
    d.SetFolderChooser([](QWidget *, const QString &, const QString &start) {
        EXPECT_EQ(start, QStringLiteral("/tmp"));
        return QString();
    });
    click(namedButton(d, "selectFolderButton"));
    EXPECT_EQ(namedField(d, "folderField")->text(), QStringLiteral("/tmp"));
}

TEST(ExportDialog, ResizeAspectAndRestrictRulesByClicks)
{
    ProfileStore profile(
        freshProfile("rules", "[Export Option]\nSavePrifix=-1\nResizeImage=0\nAspectRatio=1\n"));
    CExportDialog d(profile, nullptr, nullptr, nullptr);
    d.show();
    const std::vector<bool> none(8, false);
    EXPECT_EQ(resizeEnabled(d), none); // resize off: all off whatever is stored
    EXPECT_TRUE(namedButton(d, "aspectCheck")->isChecked());

    QTest::keyClick(namedChild<QGroupBox>(d, "resizeGroup"), Qt::Key_Space); // tick "Resize image"
    ASSERT_TRUE(namedChild<QGroupBox>(d, "resizeGroup")->isChecked());
    // Aspect kept, width restricted: the height entry governs.
    EXPECT_EQ(resizeEnabled(d), std::vector<bool>({false, true, true, true, true, true, true, true}));
    click(namedButton(d, "restrictHeightCheck"));
    EXPECT_TRUE(namedButton(d, "restrictHeightCheck")->isChecked());
    EXPECT_FALSE(namedButton(d, "restrictWidthCheck")->isChecked());
    EXPECT_TRUE(namedField(d, "widthField")->isEnabled());
    EXPECT_FALSE(namedField(d, "heightField")->isEnabled());
    click(namedButton(d, "restrictHeightCheck")); // the ticked one stays ticked
    EXPECT_TRUE(namedButton(d, "restrictHeightCheck")->isChecked());
    EXPECT_FALSE(namedButton(d, "restrictWidthCheck")->isChecked());
    EXPECT_FALSE(namedField(d, "heightField")->isEnabled());

    click(namedButton(d, "aspectCheck")); // aspect off: both entries, no restrict pair
    EXPECT_EQ(resizeEnabled(d), std::vector<bool>({true, true, true, true, true, false, false, true}));
    click(namedButton(d, "aspectCheck"));
    EXPECT_FALSE(namedField(d, "heightField")->isEnabled());
    QTest::keyClick(namedChild<QGroupBox>(d, "resizeGroup"), Qt::Key_Space);
    EXPECT_EQ(resizeEnabled(d), none);

    chooseFormat(d, 2);
    EXPECT_FALSE(namedButton(d, "optionButton")->isEnabled());
    EXPECT_EQ(namedChild<QLabel>(d, "exampleLabel")->text(),
              QStringLiteral("Example:Photo0001.GIF,Photo0002.GIF,Photo0003.GIF,..."));
    chooseFormat(d, 1);
    EXPECT_TRUE(namedButton(d, "optionButton")->isEnabled());
    click(namedButton(d, "keepFolderRadio"));
    EXPECT_FALSE(namedField(d, "folderField")->isEnabled());
    EXPECT_FALSE(namedButton(d, "selectFolderButton")->isEnabled());
    click(namedButton(d, "specifyFolderRadio"));
    EXPECT_TRUE(namedButton(d, "selectFolderButton")->isEnabled());
}

TEST(ExportDialog, CancelStoresNothingAndStartStoresEveryKey)
{
    const std::string path = freshProfile("roundtrip", "[Export Option]\nSaveFolder=/tmp\nResizeImage=1\n");
    const std::string before = readFile(path);
    ProfileStore profile(path);
    const std::string src = freshFolder("dialog-roundtrip-src");
    StandInRows rows;
    rows.rows.push_back(rowFor(writePicture(src + "/a.png", 20, 10, ZV_TYPE_PNG)));
    MessageRecorder boxes;
    {
        CExportDialog d(profile, &rows, nullptr, nullptr);
        chooseFormat(d, 3);
        click(namedButton(d, "stretchCheck"));
        click(namedButton(d, "cancelButton"));
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_EQ(readFile(path), before);
    const std::string out = freshFolder("dialog-roundtrip-out");
    {
        CExportDialog d(profile, &rows, nullptr, nullptr);
        d.show();
        d.SetFolderChooser(
            [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
        click(namedButton(d, "selectFolderButton"));
        chooseFormat(d, 3);
        click(namedButton(d, "stretchCheck"));
        EXPECT_TRUE(namedButton(d, "autoOrientCheck")->isChecked()); // an old profile: on
        click(namedButton(d, "autoOrientCheck"));
        namedField(d, "widthField")->setText(QStringLiteral("50"));
        namedList(d, "unitList")->setCurrentIndex(1);
        click(namedButton(d, "startButton"));
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
    EXPECT_EQ(profile.GetProfileString("Export Option", "AutoOrient"), "0");
    // The next opening shows what was stored.
    CExportDialog again(profile, &rows, nullptr, nullptr);
    EXPECT_EQ(namedList(again, "formatList")->currentIndex(), 3);
    EXPECT_FALSE(namedButton(again, "stretchCheck")->isChecked());
    EXPECT_FALSE(namedButton(again, "autoOrientCheck")->isChecked());
    EXPECT_TRUE(namedChild<QGroupBox>(again, "resizeGroup")->isChecked());
    EXPECT_EQ(namedField(again, "widthField")->text(), QStringLiteral("50"));
    EXPECT_EQ(namedList(again, "unitList")->currentIndex(), 1);
}

// The colour choice belongs to "Keep photo information": usable only while
// that box is ticked, and remembered across it.
TEST(ExportDialog, ColourChoiceFollowsKeepPhotoInformation)
{
    const std::string path = freshProfile("colour-choice", "[Export Option]\nSaveFolder=/tmp\n");
    ProfileStore profile(path);
    const std::string src = freshFolder("dialog-colour-src"), out = freshFolder("dialog-colour-out");
    StandInRows rows;
    rows.rows.push_back(rowFor(writePicture(src + "/a.png", 20, 10, ZV_TYPE_PNG)));
    MessageRecorder boxes;
    {
        CExportDialog d(profile, &rows, nullptr, nullptr);
        d.show();
        QComboBox *colour = namedList(d, "colourList");
        QAbstractButton *keep = namedButton(d, "keepPhotoInfoCheck");
        ASSERT_EQ(colour->count(), 2);
        EXPECT_EQ(colour->itemText(0), QStringLiteral("convert to sRGB"));
        EXPECT_EQ(colour->itemText(1), QStringLiteral("keep the picture's own colour profile"));
        EXPECT_EQ(colour->currentIndex(), 0);
        EXPECT_FALSE(colour->toolTip().isEmpty());
        auto *label = childByText<QLabel>(&d, QStringLiteral("Colours:"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->buddy(), colour);
        EXPECT_FALSE(keep->isChecked());
        EXPECT_FALSE(colour->isEnabled());
        EXPECT_FALSE(label->isEnabled());
        click(keep);
        EXPECT_TRUE(colour->isEnabled());
        EXPECT_TRUE(label->isEnabled());
        colour->setCurrentIndex(1);
        click(keep);
        EXPECT_FALSE(colour->isEnabled());
        EXPECT_EQ(colour->currentIndex(), 1); // kept for when the box is ticked again
        click(keep);

        d.SetFolderChooser(
            [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
        click(namedButton(d, "selectFolderButton"));
        click(namedButton(d, "startButton"));
    }
    EXPECT_EQ(profile.GetProfileString("Export Option", "KeepPhotoInfo"), "1");
    EXPECT_EQ(profile.GetProfileString("Export Option", "KeepColourSpace"), "1");
    CExportDialog again(profile, &rows, nullptr, nullptr);
    EXPECT_EQ(namedList(again, "colourList")->currentIndex(), 1);
    EXPECT_TRUE(namedList(again, "colourList")->isEnabled());
}

TEST(ExportDialog, DamagedProfileOpensWithDefaults)
{
    std::string garbage = "\xff\xfe[Export Option\n=\nSaveFormat=9\nUnit=-4\nQuality=abc\nRestrictWidth=0\n";
    garbage += std::string(3000, '\0') + "\n[Export Option]\nJpegQuality=zz\n";
    ProfileStore profile(freshProfile("damaged", garbage));
    CExportDialog d(profile, nullptr, nullptr, nullptr);
    EXPECT_GE(namedList(d, "formatList")->currentIndex(), 0);
    EXPECT_GE(namedList(d, "unitList")->currentIndex(), 0);
    EXPECT_GE(namedList(d, "qualityList")->currentIndex(), 0);
    // Exactly one of the restrict pair is ticked.
    EXPECT_NE(namedButton(d, "restrictWidthCheck")->isChecked(),
              namedButton(d, "restrictHeightCheck")->isChecked());
    // A stored format index: the table's last entry is kept, one past it is not.
    for (const auto &[stored, shown] : {std::pair{10, 10}, std::pair{11, 0}, std::pair{-1, 0}}) {
        ExportOptions o;
        o.Format = stored;
        normaliseForDialog(o);
        EXPECT_EQ(o.Format, shown) << stored;
    }
    ProfileStore missingFolder(scratchDir() + "/no/such/folder/p.ini");
    CExportDialog d2(missingFolder, nullptr, nullptr, nullptr);
    EXPECT_EQ(namedField(d2, "prefixField")->text(), QStringLiteral("Photo"));
}

TEST(ExportDialog, QualityDialogKeepsItsControlsTogetherAndChecksRanges)
{
    ProfileStore profile(freshProfile("quality", "[Export Option]\nSaveFormat=1\n"));
    CExportDialog d(profile, nullptr, nullptr, nullptr);
    d.show();
    MessageRecorder boxes;
    {
        ModalScript quality([&](QDialog *q) {
            ASSERT_NE(qobject_cast<CQualityDialog *>(q), nullptr);
            QLineEdit *field = namedField(*q, "qualityField");
            auto *slider = namedChild<QSlider>(*q, "qualitySlider");
            auto *spin = namedChild<CUpDown>(*q, "qualitySpin");
            ASSERT_TRUE(field && slider && spin);
            EXPECT_EQ(field->text(), QStringLiteral("90"));
            EXPECT_EQ(slider->value(), 90);
            EXPECT_EQ(spin->GetPos(), 90);
            field->clear();
            QTest::keyClicks(field, QStringLiteral("35"));
            EXPECT_EQ(slider->value(), 35);
            EXPECT_EQ(spin->GetPos(), 35);
            slider->setValue(60);
            EXPECT_EQ(field->text(), QStringLiteral("60"));
            namedField(*q, "xField")->setText(QStringLiteral("1200"));
            namedField(*q, "yField")->setText(QStringLiteral("abc"));
            q->accept(); // Y is checked before X
            EXPECT_EQ(boxes.last(), QStringLiteral("Please enter a positive integer."));
            namedField(*q, "yField")->setText(QStringLiteral("150"));
            q->accept();
            EXPECT_EQ(boxes.last(), QStringLiteral("Please enter an integer between 0 and 1000."));
            EXPECT_TRUE(q->isVisible());
            namedField(*q, "xField")->setText(QStringLiteral("1000"));
            QTest::keyClick(field, Qt::Key_Up); // the spin steps the field
            EXPECT_EQ(field->text(), QStringLiteral("61"));
            q->accept();
        });
        click(namedButton(d, "optionButton"));
    }
    EXPECT_EQ(d.Options().JpegQuality, 61);
    EXPECT_EQ(d.Options().XResolution, 1000);
    EXPECT_EQ(d.Options().YResolution, 150);
    // Cancel keeps the values.
    {
        ModalScript quality([&](QDialog *q) {
            namedField(*q, "qualityField")->setText(QStringLiteral("5"));
            q->reject();
        });
        click(namedButton(d, "optionButton"));
    }
    EXPECT_EQ(d.Options().JpegQuality, 61);
}

// WebP, AVIF and JPEG XL open their own quality dialog; OK takes its values
// into the options, Cancel leaves them.
TEST(ExportDialog, NewerFormatsHaveTheirOwnQualityDialog)
{
    ProfileStore profile(freshProfile("codec-quality"));
    CExportDialog d(profile, nullptr, nullptr, nullptr);
    d.show();
    chooseFormat(d, kFormatWebp);
    ASSERT_TRUE(namedButton(d, "optionButton")->isEnabled());
    {
        ModalScript dialog([&](QDialog *q) {
            ASSERT_NE(qobject_cast<CFormatQualityDialog *>(q), nullptr);
            auto *spin = namedChild<QSpinBox>(*q, "qualitySpin");
            EXPECT_EQ(spin->value(), 90);
            namedChild<QSlider>(*q, "qualitySlider")->setValue(40);
            EXPECT_EQ(spin->value(), 40);
            auto *lossless = namedChild<QCheckBox>(*q, "losslessCheck");
            lossless->setChecked(true);
            EXPECT_FALSE(spin->isEnabled()); // lossless has no quality
            q->accept();
        });
        click(namedButton(d, "optionButton"));
    }
    EXPECT_EQ(d.Options().Codec.WebpQuality, 40);
    EXPECT_TRUE(d.Options().Codec.WebpLossless);
    EXPECT_EQ(d.Options().Codec.AvifQuality, 70);

    chooseFormat(d, kFormatAvif);
    {
        ModalScript dialog([&](QDialog *q) {
            EXPECT_EQ(q->findChild<QCheckBox *>(QStringLiteral("losslessCheck")), nullptr);
            namedChild<QSpinBox>(*q, "speedSpin")->setValue(2);
            namedChild<QSpinBox>(*q, "qualitySpin")->setValue(55);
            q->accept();
        });
        click(namedButton(d, "optionButton"));
    }
    EXPECT_EQ(d.Options().Codec.AvifSpeed, 2);
    EXPECT_EQ(d.Options().Codec.AvifQuality, 55);

    chooseFormat(d, kFormatJxl);
    {
        ModalScript dialog([&](QDialog *q) {
            namedChild<QSpinBox>(*q, "qualitySpin")->setValue(90);
            EXPECT_TRUE(
                namedChild<QLabel>(*q, "distanceLabel")->text().startsWith(QStringLiteral("Distance: 1.00")));
            namedChild<QSpinBox>(*q, "qualitySpin")->setValue(20);
            q->reject();
        });
        click(namedButton(d, "optionButton"));
    }
    EXPECT_EQ(d.Options().Codec.JxlQuality, 90);
    EXPECT_EQ(d.Options().Codec.WebpQuality, 40); // another format's values pass through
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
    click(namedButton(d, "selectFolderButton"));
    click(namedButton(d, "specifyNameRadio"));
    chooseFormat(d, 1);
    MessageRecorder boxes;
    click(namedButton(d, "startButton"));
    click(namedButton(d, "startButton"));
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
    click(namedButton(d, "startButton"));
    ASSERT_EQ(boxes.boxes.size(), 3u);
    // Each picture is its own output: the question says so and defaults to No.
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("replaces the original photograph [a.png]")));
    EXPECT_EQ(boxes.boxes[0].buttons, unsigned(MB_YESNOALLCANCEL | MB_DEFBUTTON2));
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
    click(namedButton(d, "startButton"));
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
    click(namedButton(d, "selectFolderButton"));
    MessageRecorder boxes;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks += d.IsRunning(); });
    timer.start(10);
    click(namedButton(d, "startButton"));
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
    rows.rows[1].rotation = 90;
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
    {
        ModalScript exportOptions([&](QDialog *) {
            CExportDialog *d = topLevelWindow<CExportDialog>();
            ASSERT_NE(d, nullptr);
            d->SetFolderChooser(
                [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
            click(namedButton(*d, "selectFolderButton"));
            chooseFormat(*d, 5);
            click(namedButton(*d, "startButton"));
            ran = true;
            EXPECT_TRUE(w.isEnabled()); // enabled again after the run
            click(namedButton(*d, "cancelButton"));
        });
        click(w.findChild<QPushButton *>(QStringLiteral("exportButton")));
    }
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
    {
        ModalScript exportOptions([&](QDialog *) {
            CExportDialog *d = topLevelWindow<CExportDialog>();
            ASSERT_NE(d, nullptr);
            d->SetFolderChooser(
                [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
            click(namedButton(*d, "selectFolderButton"));
            // The window closes while the run pumps before its first picture.
            QTimer::singleShot(0, &w, [&] { w.done(QDialog::Rejected); });
            click(namedButton(*d, "startButton"));
        });
        click(w.findChild<QPushButton *>(QStringLiteral("exportButton")));
    }
    EXPECT_EQ(topLevelWindow<CExportDialog>(), nullptr);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(filesIn(out), std::vector<std::string>({"a.png"})); // whole files only, no temporaries
    EXPECT_EQ(boxes.last(), QString::fromStdString("1 files saved to [" + out + "]!"));
}

// Escape and Quit in the main window (its reject) leave a run and the window
// alone: the run saves every picture and the window stays.
TEST(ExportDialog, EscapeInTheMainWindowDuringARunKeepsItOpen)
{
    ProfileStore profile(freshProfile("escape-run"));
    const std::string src = freshFolder("escape-src"), out = freshFolder("escape-out");
    StandInRows rows;
    for (const char *name : {"a.png", "b.png", "c.png"})
        rows.rows.push_back(rowFor(writePicture(src + "/" + name, 40, 30, ZV_TYPE_PNG)));
    CMainDialog w(profile);
    w.SetExportSources(&rows, nullptr);
    w.show();
    MessageRecorder boxes;
    {
        ModalScript exportOptions([&](QDialog *) {
            CExportDialog *d = topLevelWindow<CExportDialog>();
            ASSERT_NE(d, nullptr);
            d->SetFolderChooser(
                [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
            click(namedButton(*d, "selectFolderButton"));
            QTimer::singleShot(0, &w, [&] { w.reject(); });
            click(namedButton(*d, "startButton"));
            EXPECT_TRUE(d->isVisible());
            d->reject();
        });
        click(w.findChild<QPushButton *>(QStringLiteral("exportButton")));
    }
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(filesIn(out), std::vector<std::string>({"a.png", "b.png", "c.png"}));
    EXPECT_EQ(boxes.last(), QString::fromStdString("3 files saved to [" + out + "]!"));
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
    click(namedButton(d, "selectFolderButton"));
    MessageRecorder boxes;
    click(namedButton(d, "startButton"));
    const QStringList lines = boxes.last().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString::fromStdString("1 files saved to [" + out + "]!"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("[missing.jpg] not saved"))) << lines[1].toStdString();
    EXPECT_EQ(filesIn(out), std::vector<std::string>({"good.bmp"}));
    // The folder goes away before the next run: a message, nothing written, the dialog usable.
    std::filesystem::remove_all(out);
    click(namedButton(d, "startButton"));
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("Cannot write into the output folder")))
        << boxes.last().toStdString();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(namedButton(d, "startButton")->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Through the real message box: replacing one of the run's own pictures is
// asked in its own words, and Enter (the default button) keeps the photograph.
// The summary is the list window.
TEST(ExportDialog, ReplacingAnOriginalAsksInItsOwnWordsAndEnterKeepsIt)
{
    ProfileStore profile(freshProfile("guard", "[Export Option]\nSaveFolder=-1\n"));
    const std::string src = freshFolder("guard-src");
    StandInRows rows;
    rows.rows = {rowFor(writePicture(src + "/a.png", 20, 20, ZV_TYPE_PNG))};
    StandInCaption caption;
    caption.caption.emplace();
    caption.caption->backColor = kBlue; // a replaced file would differ
    const std::string before = readFile(rows.rows[0].path);
    CExportDialog d(profile, &rows, &caption, nullptr);
    d.show();
    SetMessageBoxHandler({});
    QString question, summary;
    bool noIsDefault = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            question = box->text();
            noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
            QTest::keyClick(box, Qt::Key_Return);
        } else if (auto *list = modal ? modal->findChild<QPlainTextEdit *>("messageList") : nullptr) {
            summary = list->toPlainText();
            static_cast<QDialog *>(modal)->accept();
        }
    });
    poll.start(20);
    click(namedButton(d, "startButton"));
    poll.stop();
    failOnUnexpectedMessages();
    EXPECT_TRUE(question.contains(QStringLiteral("replaces the original photograph [a.png]")))
        << question.toStdString();
    EXPECT_TRUE(noIsDefault);
    EXPECT_EQ(readFile(rows.rows[0].path), before);
    EXPECT_TRUE(summary.startsWith(QStringLiteral("[a.png] not saved"))) << summary.toStdString();
}

// Check lists what Start would do and writes nothing.
TEST(ExportDialog, CheckListsWhatARunWouldDoAndWritesNothing)
{
    ProfileStore profile(freshProfile("check"));
    const std::string src = freshFolder("check-src"), out = freshFolder("check-out");
    StandInRows rows;
    rows.rows = {rowFor(writePicture(src + "/a.png", 30, 20, ZV_TYPE_PNG), 90), rowFor(src + "/gone.png")};
    CExportDialog d(profile, &rows, nullptr, nullptr);
    d.show();
    d.SetFolderChooser(
        [&](QWidget *, const QString &, const QString &) { return QString::fromStdString(out); });
    click(namedButton(d, "selectFolderButton"));
    chooseFormat(d, 3); // BMP
    QStringList cells;
    QString counts;
    {
        ModalScript check([&](QDialog *window) {
            auto *table = namedChild<QTableWidget>(*window, "planTable");
            ASSERT_NE(table, nullptr);
            // A cell with nothing to say (no colours converted) has no item.
            for (int row = 0; row < table->rowCount(); ++row)
                for (int column = 0; column < table->columnCount(); ++column)
                    cells << (table->item(row, column) ? table->item(row, column)->text() : QString());
            counts = namedChild<QLabel>(*window, "planCounts")->text();
            window->reject();
        });
        click(namedButton(d, "checkButton"));
    }
    EXPECT_EQ(cells, QStringList({"[a.png]", "[a.BMP]", "20 x 30", "BMP", "new", "", "[gone.png]",
                                  "[gone.BMP]", "-", "BMP", "unreadable", ""}));
    EXPECT_EQ(counts, QStringLiteral("2 pictures: 1 new, 1 unreadable"));
    EXPECT_TRUE(filesIn(out).empty());
    EXPECT_TRUE(d.isVisible());
}

// The progress stays in front of the export options during a run: it is
// topmost, and when the options dialog comes to the front it takes the
// front back at the next pump.
TEST(ExportDialog, TheProgressTakesTheFrontBackFromTheOptions)
{
    ProfileStore profile(freshProfile("front", "[Export Option]\nSaveFolder=-1\n"));
    const std::string src = freshFolder("front-src");
    StandInRows rows;
    for (const char *name : {"a.png", "b.png"})
        rows.rows.push_back(rowFor(writePicture(src + "/" + name, 10, 10, ZV_TYPE_PNG)));
    CExportDialog d(profile, &rows, nullptr, nullptr);
    d.show();
    QWidget *progressAtFirst = nullptr, *activeAtSecond = nullptr;
    bool topmost = false;
    int questions = 0;
    SetMessageBoxHandler([&](const QString &, unsigned, unsigned) {
        if (++questions == 1) {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->findChild<QWidget *>("progressBar", Qt::FindDirectChildrenOnly))
                    progressAtFirst = w;
            topmost = progressAtFirst && progressAtFirst->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            d.activateWindow();
        } else if (questions == 2) {
            QApplication::processEvents(); // activation arrives as an event
            activeAtSecond = QApplication::activeWindow();
        }
        return int(questions <= 2 ? IDNO : IDOK);
    });
    click(namedButton(d, "startButton"));
    failOnUnexpectedMessages();
    ASSERT_NE(progressAtFirst, nullptr);
    EXPECT_TRUE(topmost);
    EXPECT_EQ(activeAtSecond, progressAtFirst);
}
