// tests/app/main_flow_test.cpp
// The whole job through the main window: a folder of picture files chosen
// in the tree, every picture added, a caption designed and one picture
// turned on the Batch Settings page, and the export run from the Export
// button; the files on disk are then read back.
#include "app/main_dialog.h"
#include "caption/color_picker.h"
#include "caption/draw_text.h"
#include "caption/preview_view.h"
#include "caption/settings_page.h"
#include "collection/folder_tree.h"
#include "collection/select_page.h"
#include "collection/thumb_list.h"
#include "export/export_dialog.h"
#include "platform/profile_store.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/message_recorder.h"
#include "tests/support/widget_driver.h"
#include "tests/support/widget_lookup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace {

constexpr int kWide = 640, kHigh = 480;
const COLORREF kBack = RGB(255, 255, 0);

// Source files in three formats, each one flat colour so that every output
// can be traced back to its row.
const std::map<std::string, COLORREF> &sources()
{
    static const std::map<std::string, COLORREF> files = {{"a_red.jpg", RGB(200, 30, 30)},
                                                          {"b_green.png", RGB(30, 160, 40)},
                                                          {"c_blue.bmp", RGB(40, 60, 210)},
                                                          {"d_grey.png", RGB(120, 120, 120)}};
    return files;
}

ImageType typeOf(const std::string &name)
{
    if (name.ends_with(".jpg"))
        return ZV_TYPE_JPG;
    return name.ends_with(".bmp") ? ZV_TYPE_BMP : ZV_TYPE_PNG;
}

bool near(COLORREF a, COLORREF b, int tolerance = 12)
{
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    }
    return true;
}

void clickRow(QTableView *list, int row)
{
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

void clickTab(CMainDialog &w, int index)
{
    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("tabs"));
    ASSERT_NE(tabs, nullptr);
    QTabBar *bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    ASSERT_EQ(tabs->currentIndex(), index);
}

void drag(QWidget &page, QPoint from, QPoint to)
{
    QTest::mousePress(&page, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&page, to);
    QTest::mouseRelease(&page, Qt::LeftButton, Qt::NoModifier, to);
}

// The bands of rows inside box that hold text: one per line of the caption.
int textLines(const ZvImage &picture, const QRect &box, COLORREF back, COLORREF source)
{
    int lines = 0;
    bool inLine = false;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        bool text = false;
        for (int x = box.left(); x <= box.right() && !text; ++x) {
            const COLORREF c = colourAt(picture, x, y);
            text = !near(c, back, 60) && !near(c, source, 60);
        }
        lines += text && !inLine;
        inLine = text;
    }
    return lines;
}

// Two lines, a back colour, the box dragged to the picture's bottom-right
// corner and anchored there.
void designCaption(CSettingsPage &page)
{
    auto *preview = page.findChild<CPreviewView *>(QStringLiteral("preview"));
    ASSERT_NE(preview, nullptr);
    auto *text = page.findChild<QPlainTextEdit *>();
    ASSERT_TRUE(text && text->isEnabled());
    text->setFocus();
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("Zelventa"));
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, QStringLiteral("Flow"));

    auto *back = page.findChild<CColorPicker *>(QStringLiteral("backColor"));
    ASSERT_NE(back, nullptr);
    back->SetColor(kBack);
    emit back->selEndOk(kBack);

    // Twice as high for the second line: the bottom handle dragged down.
    const POINT handle = preview->CaptionBox()->HandlePoint(6);
    drag(*preview, QPoint(handle.x, handle.y), QPoint(handle.x, handle.y + 40));
    const RECT box = preview->CaptionBox()->GetPosition();
    const RECT pic = preview->Geometry().picture;
    const QPoint from((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    const QPoint to = from + QPoint(pic.right - 6 - box.right, pic.bottom - 6 - box.bottom);
    drag(*preview, from, to);

    QComboBox *anchor = nullptr;
    for (QComboBox *combo : page.findChildren<QComboBox *>())
        anchor = combo->findText(QStringLiteral("Down right coner")) >= 0 ? combo : anchor;
    ASSERT_NE(anchor, nullptr);
    anchor->setCurrentIndex(CaptionAnchor::BottomRight);
    emit anchor->activated(CaptionAnchor::BottomRight);
}

// Specify folder, prefix naming, PNG, half size; Start; Cancel closes.
void runExportDialog(CExportDialog &d, const QString &out)
{
    d.SetFolderChooser([out](QWidget *, const QString &, const QString &) { return out; });
    click(namedButton(d, "specifyFolderRadio"));
    click(namedButton(d, "selectFolderButton"));
    click(namedButton(d, "specifyNameRadio"));
    replaceText(namedField(d, "prefixField"), QStringLiteral("Flow"));
    const int png = namedList(d, "formatList")->findText(QStringLiteral("PNG"), Qt::MatchContains);
    ASSERT_GE(png, 0);
    namedList(d, "formatList")->setCurrentIndex(png);
    emit namedList(d, "formatList")->activated(png);
    if (!namedChild<QGroupBox>(d, "resizeGroup")->isChecked())
        QTest::keyClick(namedChild<QGroupBox>(d, "resizeGroup"), Qt::Key_Space);
    if (namedButton(d, "aspectCheck")->isChecked())
        click(namedButton(d, "aspectCheck"));
    namedList(d, "unitList")->setCurrentIndex(1); // percent
    emit namedList(d, "unitList")->activated(1);
    replaceText(namedField(d, "widthField"), QStringLiteral("50"));
    replaceText(namedField(d, "heightField"), QStringLiteral("50"));
    click(namedButton(d, "startButton"));
    click(namedButton(d, "cancelButton"));
}

} // namespace

TEST(MainFlow, FolderToCaptionedTurnedResizedFiles)
{
    const std::string root = freshFolder("main-flow");
    const std::string home = root + "/home", folder = root + "/pictures", out = root + "/out";
    for (const std::string &dir : {home + "/.config", folder, out})
        std::filesystem::create_directories(dir);
    qputenv("HOME", QByteArray::fromStdString(home));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home + "/.config"));
    for (const auto &[name, colour] : sources())
        ASSERT_TRUE(solidPicture(kWide, kHigh, colour).Save((folder + "/" + name).c_str(), typeOf(name)));

    ProfileStore profile(root + "/profile.ini");
    CMainDialog w(profile);
    w.resize(1280, 960);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto *select = w.findChild<CSelectPage *>(QStringLiteral("selectPage"));
    auto *settings = w.findChild<CSettingsPage *>(QStringLiteral("settingsPage"));
    auto *tree = w.findChild<CFolderTree *>(QStringLiteral("folderTree"));
    ASSERT_TRUE(select && settings && tree);

    // The tree's choice reaches the browser, which makes every thumbnail.
    ASSERT_TRUE(tree->SelectPath(QString::fromStdString(folder)));
    EXPECT_EQ(w.CurrentFolder(), QString::fromStdString(folder + "/"));
    CThumbList *browser = select->Browser();
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser->Count() == 4 && !browser->PassRunning(); }, 120000))
        << browser->Count();

    click(select->findChild<QPushButton *>(QStringLiteral("addAllButton")));
    ASSERT_EQ(select->RowCount(), 4);
    auto *list = select->findChild<QTableView *>(QStringLiteral("selectedList"));
    ASSERT_NE(list, nullptr);
    std::map<std::string, int> rowOf;
    for (int row = 0; row < 4; ++row)
        rowOf[std::filesystem::path(select->RowPath(row).toStdString()).filename().string()] = row;
    ASSERT_EQ(rowOf.size(), 4u);
    for (const auto &[name, colour] : sources())
        EXPECT_TRUE(rowOf.count(name)) << name;

    // The first row's picture on the Batch Settings page, the caption designed on it.
    clickRow(list, 0);
    clickTab(w, CMainDialog::kSettingsTab);
    EXPECT_EQ(settings->CurrentPath(), select->RowPath(0));
    settings->WaitForPicture();
    ASSERT_TRUE(settings->findChild<CPreviewView *>()->HasPicture());
    designCaption(*settings);
    const std::optional<CaptionSettings> caption = settings->ExportCaption();
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->text, QStringLiteral("Zelventa\r\nFlow"));
    EXPECT_EQ(caption->backColor, kBack);
    EXPECT_EQ(caption->anchor, CaptionAnchor::BottomRight);
    const CaptionOffsets at = caption->offsets; // distances from the bottom-right corner
    EXPECT_LT(at.right, 30.0f);
    EXPECT_LT(at.bottom, 30.0f);
    EXPECT_LT(at.left, float(kHigh) - 20); // fits across the turned picture too
    EXPECT_GT(at.top - at.bottom, 50.0f);  // room for both lines

    // The second row turned by 90 degrees from the page's radio button.
    clickTab(w, CMainDialog::kSelectTab);
    clickRow(list, 1);
    clickTab(w, CMainDialog::kSettingsTab);
    EXPECT_EQ(settings->CurrentPath(), select->RowPath(1));
    click(childByText<QRadioButton>(settings, QStringLiteral("90\"")));
    EXPECT_EQ(select->RowRotation(1), 90);
    EXPECT_EQ(select->RowRotation(0), 0);
    settings->WaitForPicture();
    EXPECT_EQ(settings->findChild<CPreviewView *>()->PictureSize(), QSize(kHigh, kWide));

    MessageRecorder boxes;
    bool ran = false;
    {
        ModalScript exportOptions([&](QDialog *) {
            auto *dialog = topLevelWindow<CExportDialog>();
            ASSERT_NE(dialog, nullptr);
            runExportDialog(*dialog, QString::fromStdString(out));
            ran = true;
        });
        click(w.findChild<QPushButton *>(QStringLiteral("exportButton")));
    }
    ASSERT_TRUE(ran);
    EXPECT_EQ(topLevelWindow<CExportDialog>(), nullptr);
    EXPECT_EQ(boxes.last(), QString::fromStdString("4 files saved to [" + out + "]!"));

    // Row order, half size, the turned row turned, the caption at the corner.
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        const std::string path = out + "/Flow000" + std::to_string(row) + ".PNG";
        ZvImage picture;
        ASSERT_TRUE(picture.Load(path.c_str(), ZV_TYPE_PNG)) << path;
        const bool turned = row == 1;
        const int wide = turned ? kHigh : kWide, high = turned ? kWide : kHigh;
        ASSERT_EQ(int(picture.GetWidth()), wide / 2);
        ASSERT_EQ(int(picture.GetHeight()), high / 2);
        const COLORREF source =
            sources().at(std::filesystem::path(select->RowPath(row).toStdString()).filename().string());
        EXPECT_TRUE(near(colourAt(picture, 3, 3), source)) << std::hex << colourAt(picture, 3, 3);
        // The box in the output: its offsets from the corner, halved.
        const QRect box(QPoint(int(wide - at.left) / 2, int(high - at.top) / 2),
                        QPoint(int(wide - at.right) / 2 - 1, int(high - at.bottom) / 2 - 1));
        EXPECT_TRUE(near(colourAt(picture, box.right() - 1, box.bottom() - 1), kBack));
        EXPECT_TRUE(near(colourAt(picture, box.left() + 1, box.top() + 1), kBack));
        EXPECT_TRUE(near(colourAt(picture, box.left() - 4, box.bottom() - 1), source));
        EXPECT_TRUE(near(colourAt(picture, box.right() - 1, box.top() - 4), source));
        EXPECT_EQ(textLines(picture, box, kBack, source), 2);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 4);
}
