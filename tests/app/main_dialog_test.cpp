// tests/app/main_dialog_test.cpp
#include "acquire/acquire_action.h"
#include "acquire/wiz_property_sheet.h"
#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/main_dialog.h"
#include "app/preset_menu.h"
#include "caption/caption_profile.h"
#include "caption/font_color_dialog.h"
#include "caption/settings_page.h"
#include "controls/markup_tip.h"
#include "export/export_dialog.h"
#include "export/export_options.h"
#include "platform/font_map.h"
#include "platform/profile_store.h"
#include "tests/support/corpora.h"
#include "tests/support/message_recorder.h"
#include "tests/support/widget_lookup.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

ProfileStore scratchProfile()
{
    return ProfileStore(scratchDir() + "/main-dialog.ini");
}

template <typename T = QWidget> T *named(const QWidget &w, const char *name)
{
    T *found = w.findChild<T *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// The window's one tooltip, a window of its own.
CMarkupTip *mainTip()
{
    return topLevelWindow<CMarkupTip>(QStringLiteral("mainTip"));
}

// A control's rectangle in the window's coordinates (the tree and the tab
// control sit in the splitter).
QRect inWindow(const QWidget *control)
{
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

// The right edges and gaps of the four buttons, Quit to Export.
void expectButtonsLinedUp(const CMainDialog &w)
{
    const QSize client = w.size();
    const QRect quit = named(w, "quitButton")->geometry();
    const QRect about = named(w, "aboutButton")->geometry();
    const QRect help = named(w, "helpButton")->geometry();
    const QRect exp = named(w, "exportButton")->geometry();
    EXPECT_EQ(quit.right() + 1, client.width() - 6);
    EXPECT_EQ(quit.left() - (about.right() + 1), 11);
    EXPECT_EQ(about.left() - (help.right() + 1), 11);
    EXPECT_EQ(help.left() - (exp.right() + 1), 11);
    for (const QRect &r : {quit, about, help, exp}) {
        EXPECT_EQ(r.bottom() + 1, client.height() - 4);
        EXPECT_EQ(r.size(), QSize(84, 28));
    }
    const QRect tabs = inWindow(named(w, "tabs"));
    EXPECT_EQ(tabs.right() + 1, client.width() - 6);
    EXPECT_EQ(tabs.bottom() + 1, client.height() - 35);
    // The tree lies 1 pixel inside its area, which ends 35 pixels above the bottom.
    EXPECT_EQ(inWindow(named(w, "folderTree")).bottom() + 2, client.height() - 35);
}

const QString kTipHead = QStringLiteral("<ct=0x00AA00><hr=100%></ct><br>");

} // namespace

TEST(MainDialog, LayoutAtTheMinimumAndEnlarged)
{
    ProfileStore profile = scratchProfile();
    CMainDialog w(profile);
    QWidget *tree = named(w, "folderTree");
    auto *tabs = named<QTabWidget>(w, "tabs");
    // Laid out from the start, before the window is shown.
    EXPECT_EQ(w.size(), QSize(800, 600));
    expectButtonsLinedUp(w);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Zelventa 1.00"));
    EXPECT_EQ(w.minimumSize(), QSize(790, 565));
    w.resize(500, 300);
    EXPECT_EQ(w.size(), QSize(790, 565));
    expectButtonsLinedUp(w);
    // Where the fixed layout put them before the splitter existed.
    EXPECT_EQ(inWindow(tree), QRect(9, 31, 212, 565 - 35 - 31 - 1));
    EXPECT_EQ(inWindow(tabs).topLeft(), QPoint(230, 8));
    EXPECT_EQ(inWindow(named(w, "folderLabel")), QRect(8, 8, 214, 18));
    const QRect treeBefore = inWindow(tree);
    const QPoint tabsBefore = inWindow(tabs).topLeft();
    w.resize(1203, 911);
    EXPECT_EQ(w.size(), QSize(1203, 911));
    expectButtonsLinedUp(w);
    // The tree keeps its left, top and width; the tab control its left and top.
    EXPECT_EQ(inWindow(tree).topLeft(), treeBefore.topLeft());
    EXPECT_EQ(tree->width(), treeBefore.width());
    EXPECT_EQ(inWindow(tabs).topLeft(), tabsBefore);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("&Select Images"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Batch Se&ttings"));
    EXPECT_EQ(tabs->widget(0), named(w, "selectPage"));
    EXPECT_EQ(named<QLabel>(w, "folderLabel")->text(), QStringLiteral("Select F&older:"));
    EXPECT_LT(inWindow(tree).right(), inWindow(tabs).left());
}

TEST(MainDialog, QuitAndEscapeCloseTheWindow)
{
    ProfileStore profile = scratchProfile();
    for (bool escape : {false, true}) {
        CMainDialog w(profile);
        w.show();
        if (escape)
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            QTest::mouseClick(named<QPushButton>(w, "quitButton"), Qt::LeftButton);
        EXPECT_FALSE(w.isVisible()) << escape;
        EXPECT_EQ(w.result(), QDialog::Rejected);
    }
}

TEST(MainDialog, FolderSelectionAndVolumesBringTheSelectPageForward)
{
    ProfileStore profile = scratchProfile();
    CMainDialog w(profile);
    QSignalSpy folders(&w, &CMainDialog::folderChanged);
    QSignalSpy acquire(&w, &CMainDialog::acquireRequested);
    auto *tabs = named<QTabWidget>(w, "tabs");
    tabs->setCurrentIndex(CMainDialog::kSettingsTab);
    w.OnFolderSelected(QStringLiteral("/home/user/Pictures"));
    EXPECT_EQ(w.CurrentFolder(), QStringLiteral("/home/user/Pictures/"));
    EXPECT_EQ(tabs->currentIndex(), CMainDialog::kSelectTab);
    w.OnFolderSelected(QStringLiteral("/")); // a root already ends in its separator
    EXPECT_EQ(w.CurrentFolder(), QStringLiteral("/"));
    w.OnFolderSelected(QString()); // the Computer node: browser emptied, folder kept
    EXPECT_EQ(w.CurrentFolder(), QStringLiteral("/"));
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders[0][0].toString(), QStringLiteral("/home/user/Pictures/"));
    EXPECT_EQ(folders[2][0].toString(), QString());

    // Each event runs the acquisition wizard; a user who closes it at once.
    int wizards = 0;
    QObject::connect(w.findChild<CAcquireAction *>(), &CAcquireAction::wizardShown, &w,
                     [&wizards](CWizPropertySheet *sheet) {
                         ++wizards;
                         QTimer::singleShot(0, sheet, &QDialog::reject);
                     });
    tabs->setCurrentIndex(CMainDialog::kSettingsTab);
    w.OnDeviceChange({true, QStringLiteral("/media/card")});
    EXPECT_EQ(tabs->currentIndex(), CMainDialog::kSelectTab);
    w.OnDeviceChange({false, QStringLiteral("/media/card")});
    ASSERT_EQ(acquire.size(), 2);
    EXPECT_EQ(acquire[0][0].toInt(), 1);
    EXPECT_EQ(acquire[0][1].toString(), QStringLiteral("/media/card"));
    EXPECT_EQ(acquire[1][0].toInt(), 2);
    // The arrival opens the wizard; a removal with no wizard open has none to re-target.
    EXPECT_EQ(wizards, 1);
}

// Receives the URLs the desktop would open.
class UrlCatcher : public QObject
{
    Q_OBJECT
  public slots:
    void open(const QUrl &url) { urls << url; }

  public:
    QList<QUrl> urls;
};

TEST(MainDialog, HelpOpensThePageBesideTheProgram)
{
    ProfileStore profile = scratchProfile();
    CMainDialog w(profile);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QTest::mouseClick(named<QPushButton>(w, "helpButton"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toLocalFile(), QCoreApplication::applicationDirPath() + "/help/help.htm");
    // The build puts the page beside the program.
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(ZV_BINARY_DIR "/app/help/help.htm")));
}

TEST(MainDialog, AboutShowsTheVersionLineAndTheExportButtonItsTip)
{
    ProfileStore profile = scratchProfile();
    CMainDialog w(profile);
    w.show();
    QString version;
    bool picture = false;
    QTimer::singleShot(0, [&] {
        auto *about = qobject_cast<CAboutDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        for (QLabel *label : about->findChildren<QLabel *>()) {
            if (label->text().startsWith(QStringLiteral("Zelventa")))
                version = label->text();
            picture = picture || !label->pixmap().isNull();
        }
        about->accept();
    });
    QTest::mouseClick(named<QPushButton>(w, "aboutButton"), Qt::LeftButton);
    EXPECT_EQ(version, QStringLiteral("Zelventa  Version 1.00 build 20040701"));
    EXPECT_TRUE(picture);
    CMarkupTip *tip = mainTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->ToolText(named(w, "exportButton")),
              QStringLiteral(
                  "<b><ct=0x0000FF><al_c>Export</b><br><ct=0x00AA00><hr=100%></ct><br>Set file format,size "
                  "and path for saving selected images."));
    EXPECT_EQ(tip->GetDelayTime(CMarkupTip::InitialDelay), 50);
}

// The window's one tooltip carries the pages' controls with their markup as
// it stands, finds them under the pointer, and follows the caption's font.
TEST(MainDialog, PagesControlsShowTheirMarkupThroughTheWindowsTip)
{
    ProfileStore profile = scratchProfile();
    CMainDialog w(profile);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    CMarkupTip *tip = mainTip();
    ASSERT_NE(tip, nullptr);
    auto *addAll = named<QPushButton>(w, "addAllButton");
    ASSERT_NE(addAll, nullptr);
    EXPECT_EQ(tip->ToolText(addAll), QStringLiteral("<b><ct=0x0000FF><al_c>Add All</b><br>") + kTipHead +
                                         QStringLiteral("Add all images <br>from the above image list to the "
                                                        "below image list."));
    EXPECT_TRUE(
        tip->ToolText(named(w, "acquireButton"))
            .contains(QStringLiteral("Retrieve photos from digital camera(TWAIN device compatible)")));

    // The pointer resting on the button brings the tip up.
    const QPoint centre = addAll->rect().center();
    QCursor::setPos(addAll->mapToGlobal(centre));
    QTest::mouseMove(addAll, centre);
    for (int i = 0; i < 50 && tip->ShownControl() != addAll; ++i)
        QTest::qWait(20);
    EXPECT_EQ(tip->ShownControl(), addAll);
    tip->HideTip();

    QWidget *settings = named(w, "settingsPage");
    QComboBox *anchor = nullptr;
    for (QComboBox *combo : settings->findChildren<QComboBox *>())
        anchor = combo->itemText(0) == QStringLiteral("Top left corner") ? combo : anchor;
    ASSERT_NE(anchor, nullptr);
    EXPECT_EQ(
        tip->ToolText(anchor),
        QStringLiteral("<b><ct=0x0000FF><al_c>Base on the image</b><br>") + kTipHead +
            QStringLiteral("Because size of each image may not be different,<br>but we hope that textbox "
                           "fixed relative to image.<br>With the option,you can perform above request."));
    EXPECT_EQ(tip->ToolText(childByText<QRadioButton>(settings, QStringLiteral("-90\""))),
              QStringLiteral("<b><ct=0x0000FF><al_c>Rotate Image</b><br>") + kTipHead +
                  QStringLiteral("Rotate image counterclockwise."));

    // The Font button's tip names the caption's font; a "<" in a face is
    // doubled so the tip shows it.
    const QString fontHead = QStringLiteral("<b><ct=0x0000FF><al_c>Font</b><br>") + kTipHead +
                             QStringLiteral("Set font type,font size and forecolor for text.<br><i>");
    auto *font = childByText<QPushButton>(settings, QStringLiteral("Font"));
    EXPECT_TRUE(tip->ToolText(font).startsWith(fontHead + QStringLiteral("Arial, 26 pixels")));
    QString face = QStringLiteral("DejaVu Serif");
    CFontColorDialog::SetHandler([&face](const LOGFONT &, COLORREF, QWidget *) {
        FontChoice choice;
        SetLogFontFaceName(choice.font, face);
        choice.font.lfHeight = -40;
        return std::optional<FontChoice>(choice);
    });
    font->click();
    EXPECT_EQ(tip->ToolText(font), fontHead + QStringLiteral("DejaVu Serif, 40 pixels</i>"));
    face = QStringLiteral("Zv<Mono");
    font->click();
    CFontColorDialog::SetHandler(nullptr);
    EXPECT_TRUE(tip->ToolText(font).startsWith(
        fontHead + QStringLiteral("Zv<<Mono, 40 pixels<br>Zv<<Mono is not installed: drawn with ")));
}

namespace {

// Presses the left button on the splitter's handle and moves it dx pixels,
// as a user dragging it does.
void dragHandle(QSplitter *splitter, int dx)
{
    QWidget *handle = splitter->handle(1);
    const QPoint from = handle->rect().center();
    const QPoint origin = handle->mapToGlobal(QPoint(0, 0)); // before the handle moves
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), QPointF(origin + at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(dx / 2, 0), Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(dx, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + QPoint(dx, 0), Qt::NoButton);
}

} // namespace

// The user widens the tree; the tab control gives up the room, the window's
// growth still goes to the tab control, and the next start opens so.
TEST(MainDialog, TheSplitterWidensTheTreeAndTheProfileKeepsIt)
{
    ProfileStore profile(scratchDir() + "/splitter.ini");
    {
        CMainDialog w(profile);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.resize(1100, 700);
        dragHandle(named<QSplitter>(w, "splitter"), 90);
        EXPECT_EQ(named(w, "folderTree")->width(), 212 + 90);
        EXPECT_EQ(inWindow(named(w, "tabs")).left(), 230 + 90);
        EXPECT_EQ(inWindow(named(w, "folderLabel")).width(), 214 + 90);
        EXPECT_EQ(CMainDialog::StoredTreeWidth(profile), 214 + 90);
        w.resize(1300, 700);
        EXPECT_EQ(named(w, "folderTree")->width(), 212 + 90);
        expectButtonsLinedUp(w);
        // Never narrower than the tab control at the window's minimum; the
        // tree squeezed by a narrower window gets its width back after.
        w.resize(790, 600);
        EXPECT_EQ(named(w, "tabs")->width(), 790 - 230 - 6);
        w.resize(1100, 700);
        EXPECT_EQ(named(w, "folderTree")->width(), 212 + 90);
        expectButtonsLinedUp(w);
    }
    CMainDialog again(profile);
    EXPECT_EQ(again.size(), QSize(800 + 90, 600));
    EXPECT_EQ(named(again, "folderTree")->width(), 212 + 90);
    EXPECT_EQ(inWindow(named(again, "tabs")).left(), 230 + 90);
    expectButtonsLinedUp(again);
}

// Escape or Quit keeps the design, the size and the folder for the next
// window; a folder that is gone by then is not gone to.
TEST(MainDialog, DesignSizeAndFolderComeBackInTheNextWindow)
{
    ProfileStore profile(scratchDir() + "/kept.ini");
    const QString folder = QString::fromStdString(scratchDir() + "/kept-folder/");
    ASSERT_TRUE(QDir().mkpath(folder));
    CaptionSettings design;
    design.text = QStringLiteral("Kept\r\nsecond line");
    design.textColor = RGB(200, 10, 20);
    design.anchor = CaptionAnchor::BottomRight;
    design.offsets = {300, 80, 20, 20};
    design.style.wordWrap = true;
    design.style.padding = 6;
    for (bool escape : {true, false}) {
        CMainDialog w(profile);
        w.show();
        if (escape) {
            w.resize(1000, 700);
            named<CSettingsPage>(w, "settingsPage")->SetCaption(design);
            ASSERT_TRUE(w.GoToFolder(folder));
            QTest::keyClick(&w, Qt::Key_Escape);
            EXPECT_FALSE(w.isVisible());
            continue;
        }
        EXPECT_EQ(w.size(), QSize(1000, 700));
        EXPECT_EQ(w.CurrentFolder(), folder);
        const std::optional<CaptionSettings> kept = named<CSettingsPage>(w, "settingsPage")->ExportCaption();
        ASSERT_TRUE(kept);
        EXPECT_EQ(captionProfileEntries(*kept), captionProfileEntries(design));
        QTest::mouseClick(named<QPushButton>(w, "quitButton"), Qt::LeftButton);
    }
    QDir(folder).removeRecursively();
    CMainDialog later(profile);
    EXPECT_NE(later.CurrentFolder(), folder);
    EXPECT_EQ(later.size(), QSize(1000, 700));
}

// The Job Presets menu keeps the design and the export options under a
// name beside the profile and puts them back; names are checked, replacing
// and deleting are asked first.
TEST(MainDialog, PresetsKeepTheDesignAndTheExportOptions)
{
    const QString dir = QString::fromStdString(scratchDir() + "/preset-window");
    QDir(dir).removeRecursively();
    ProfileStore profile((dir + QStringLiteral("/zelventa.ini")).toStdString());
    CMainDialog w(profile);
    CPresetMenu *menu = w.PresetMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(named<QPushButton>(w, "presetsButton")->menu(), menu);
    QStringList names;
    menu->SetNameAsker([&](QWidget *, const QString &, const QString &) { return names.takeFirst(); });
    auto *page = named<CSettingsPage>(w, "settingsPage");
    CaptionSettings sea;
    sea.text = QStringLiteral("Sea");
    sea.style.backOpacity = 40;
    page->SetCaption(sea);
    ExportOptions png;
    png.Format = 5;
    ASSERT_TRUE(png.Save(profile));

    MessageRecorder boxes;
    names = {QStringLiteral("a/b"), QStringLiteral("Holiday")};
    EXPECT_FALSE(menu->SaveAs());
    EXPECT_EQ(boxes.last(), QStringLiteral("Invalid preset name [a/b]: it cannot contain \"/\"!"));
    EXPECT_TRUE(menu->SaveAs());
    EXPECT_TRUE(QFileInfo::exists(dir + QStringLiteral("/presets/Holiday.ini")));

    page->SetCaption(CaptionSettings{});
    ASSERT_TRUE(ExportOptions{}.Save(profile));
    boxes.answers = {IDNO};
    EXPECT_FALSE(menu->SavePreset(QStringLiteral("Holiday"))); // not replaced
    ASSERT_TRUE(menu->LoadPreset(QStringLiteral("Holiday")));
    EXPECT_EQ(captionProfileEntries(*page->ExportCaption()), captionProfileEntries(sea));
    ExportOptions stored;
    stored.Load(profile);
    EXPECT_EQ(stored.Format, 5);

    names = {QStringLiteral("Sea & sun")};
    EXPECT_TRUE(menu->RenamePreset(QStringLiteral("Holiday")));
    emit menu->aboutToShow();
    const QList<QAction *> listed = menu->findChild<QMenu *>(QStringLiteral("loadPresets"))->actions();
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0]->text(), QStringLiteral("Sea && sun"));
    EXPECT_TRUE(menu->DeletePreset(QStringLiteral("Sea & sun")));
    EXPECT_TRUE(menu->Store().List().empty());
    EXPECT_EQ(boxes.texts().size(), 3); // the refused name, the two questions
}

// The Folder field takes a typed path on Enter: the tree walks there and the
// browser follows; a path that does not exist is reported and changes nothing.
TEST(MainDialog, TypedFoldersAreBrowsedAndMissingOnesSaySo)
{
    ProfileStore profile = scratchProfile();
    const QString folder = QString::fromStdString(scratchDir()) + "/typed/Holiday 2026";
    ASSERT_TRUE(QDir().mkpath(folder));
    CMainDialog w(profile);
    // Shown, so that Enter could reach a default button: it must not.
    int wizards = 0;
    QObject::connect(w.findChild<CAcquireAction *>(), &CAcquireAction::wizardShown, &w,
                     [&wizards](CWizPropertySheet *sheet) {
                         ++wizards;
                         QTimer::singleShot(0, sheet, &QDialog::reject);
                     });
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QSignalSpy folders(&w, &CMainDialog::folderChanged);
    auto *edit = named<QLineEdit>(w, "folderEdit");
    edit->setText(QStringLiteral("  '%1/'  ").arg(folder));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.CurrentFolder(), folder + "/");
    ASSERT_FALSE(folders.isEmpty());
    EXPECT_EQ(folders.last()[0].toString(), folder + "/");
    EXPECT_EQ(edit->text(), folder + "/");

    MessageRecorder messages;
    const int before = int(folders.size());
    edit->setText(folder + "/nowhere");
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, "The folder [" + folder + "/nowhere] does not exist.");
    EXPECT_EQ(w.CurrentFolder(), folder + "/");
    EXPECT_EQ(folders.size(), before);
    EXPECT_EQ(edit->text(), folder + "/nowhere"); // kept for the user to correct
    EXPECT_EQ(wizards, 0);
}

// Where the desktop has no browser for the page, Help (and F1) shows it in
// the program's own window; a second time raises the same one. The window
// shows the page with its pictures, or says the page is missing.
TEST(MainDialog, HelpWithoutADesktopBrowserOpensInsideTheProgram)
{
    ProfileStore profile = scratchProfile();
    CMainDialog w(profile);
    int asked = 0;
    w.SetUrlOpener([&asked](const QUrl &) { return ++asked, false; });
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(asked, 1);
    auto *help = w.findChild<CHelpWindow *>(QStringLiteral("helpWindow"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    // The test program has no page beside it.
    EXPECT_TRUE(help->Browser()->toPlainText().contains("[" + CMainDialog::HelpPath() + "] is missing"));
    QTest::mouseClick(named<QPushButton>(w, "helpButton"), Qt::LeftButton);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(w.findChildren<CHelpWindow *>().size(), 1);

    CHelpWindow page(QStringLiteral(ZV_BINARY_DIR "/app/help/help.htm"));
    QTextBrowser *browser = page.Browser();
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Zelventa")));
    const QString html = browser->toHtml();
    const int at = int(html.indexOf(QStringLiteral("<img src=\"")));
    ASSERT_GE(at, 0);
    const QString src = html.mid(at + 10, html.indexOf(u'"', at + 10) - at - 10);
    const QVariant picture = browser->loadResource(QTextDocument::ImageResource, QUrl(src));
    EXPECT_TRUE(picture.isValid() && !picture.toByteArray().isEmpty()) << src.toStdString();
}

// Every button carries an access key, none twice among what one page shows
// with the window's own; Ctrl+E opens the export options; Tab walks the
// controls in the order they are laid out.
TEST(MainDialog, AccessKeysShortcutsAndTabOrder)
{
    ProfileStore profile = scratchProfile();
    CMainDialog w(profile);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto *tabs = named<QTabWidget>(w, "tabs");
    for (int tab : {CMainDialog::kSelectTab, CMainDialog::kSettingsTab}) {
        tabs->setCurrentIndex(tab);
        EXPECT_EQ(accessKeyFaults(w, {tabs->tabText(0), tabs->tabText(1)}), QStringList()) << tab;
    }

    tabs->setCurrentIndex(CMainDialog::kSelectTab);
    named(w, "folderTree")->setFocus();
    QStringList order;
    for (int i = 0; i < 15; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Add and Add All wait for the browser's first pass, disabled.
    EXPECT_EQ(order,
              (QStringList{"folderTree", "qt_tabwidget_tabbar", "acquireButton", "viewButton", "folderEdit",
                           "browser", "removeButton", "removeAllButton", "selectedList", "presetsButton",
                           "exportButton", "helpButton", "aboutButton", "quitButton", "folderTree"}));

    bool exportOpened = false;
    QTimer::singleShot(0, [&exportOpened] {
        auto *dialog = qobject_cast<CExportDialog *>(QApplication::activeModalWidget());
        exportOpened = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(exportOpened);
}

#include "main_dialog_test.moc"
