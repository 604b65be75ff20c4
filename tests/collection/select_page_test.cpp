// tests/collection/select_page_test.cpp
#include "collection/select_page.h"
#include "collection/select_page_layout.h"
#include "collection/selected_image.h"
#include "collection/selected_images_model.h"
#include "collection/thumb_item.h"
#include "collection/thumb_list.h"
#include "tests/collection/collection_test_support.h"
#include "tests/support/pictures.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Page
{
    CSelectPage page;
    QString folder;
    explicit Page(const std::string &name)
    {
        folder = freshFolder(name);
        savePicture(folder + "a.png", 64, 48, 1);
        savePicture(folder + "b.jpg", 40, 30, 2);
        savePicture(folder + "c.bmp", 30, 40, 3);
        page.resize(800, 520);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
        page.SetFolder(folder);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return button("addButton")->isEnabled() && !page.Browser()->PassRunning(); }, 20000));
    }
    QString label(const char *name) const { return page.findChild<QLabel *>(name)->text(); }
    QPushButton *button(const char *name) const { return page.findChild<QPushButton *>(name); }
};

} // namespace

TEST(SelectPage, AddAllTwiceGivesEachPictureOnceWithItsTexts)
{
    Page p("page-addall");
    EXPECT_EQ(p.page.findChild<QLineEdit *>("folderEdit")->text(), p.folder);
    EXPECT_EQ(p.label("statusLabel"), "Total:[3] Images");
    ASSERT_TRUE(p.button("addAllButton")->isEnabled());
    QTest::mouseClick(p.button("addAllButton"), Qt::LeftButton);
    QTest::mouseClick(p.button("addAllButton"), Qt::LeftButton);
    ASSERT_EQ(p.page.RowCount(), 3);
    EXPECT_EQ(p.page.CurrentRow(), 2);
    EXPECT_EQ(p.label("countLabel"), "Selected:[3] Images");

    const QFileInfo info(p.folder + "a.png");
    EXPECT_EQ(p.page.RowText(0, SelectedImage::Name), "a.png");
    EXPECT_EQ(p.page.RowText(0, SelectedImage::Size).remove(','), QString::number(info.size()));
    EXPECT_FALSE(p.page.RowText(0, SelectedImage::Type).isEmpty());
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(p.page.RowText(0, SelectedImage::Modified))
                    .hasMatch());
    EXPECT_EQ(p.page.RowText(0, SelectedImage::Properties), "64x48x16M");
    EXPECT_EQ(p.page.RowText(2, SelectedImage::Properties), "30x40x16M");
    EXPECT_EQ(p.page.RowPath(1), p.folder + "b.jpg");
    EXPECT_EQ(p.page.RowText(1, SelectedImage::Rotated), "0");

    const std::vector<ExportRow> rows = p.page.Images().ExportRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].name, "b.jpg");
    EXPECT_EQ(rows[1].path, (p.folder + "b.jpg").toStdString());
    EXPECT_EQ(rows[1].rotation, 0);
}

// What the Batch Settings page hears: the added row selected, and an
// empty path once no row is selected any more.
TEST(SelectPage, AddSelectedRemoveAndTheDeleteKey)
{
    Page p("page-remove");
    QSignalSpy current(&p.page, &CSelectPage::currentImageChanged);
    CThumbList *browser = p.page.Browser();
    browser->selectionModel()->select(browser->model()->index(1, 0), QItemSelectionModel::Select);
    QTest::mouseClick(p.button("addButton"), Qt::LeftButton);
    ASSERT_EQ(p.page.RowCount(), 1);
    EXPECT_EQ(p.page.RowPath(0), p.folder + "b.jpg");
    EXPECT_EQ(p.page.CurrentRow(), 0);
    ASSERT_FALSE(current.isEmpty());
    EXPECT_EQ(current.last().at(0).toString(), p.folder + "b.jpg");
    EXPECT_EQ(current.last().at(2).toInt(), 0);
    QTest::mouseClick(p.button("addAllButton"), Qt::LeftButton);
    EXPECT_EQ(p.page.RowCount(), 3);

    // The selection moves on to the next row, told with the count as it is now.
    p.page.SelectRow(0);
    QTest::mouseClick(p.button("removeButton"), Qt::LeftButton);
    EXPECT_EQ(p.page.RowCount(), 2);
    EXPECT_EQ(p.label("countLabel"), "Selected:[2] Images");
    EXPECT_EQ(current.last().at(0).toString(), p.page.RowPath(0));
    EXPECT_EQ(current.last().at(2).toInt(), 0);
    EXPECT_EQ(current.last().at(3).toInt(), 2);
    auto *list = p.page.findChild<QTableView *>("selectedList");
    p.page.SelectRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(p.page.RowCount(), 1);
    p.page.SelectRow(0);
    ASSERT_FALSE(current.last().at(0).toString().isEmpty());
    QTest::mouseClick(p.button("removeAllButton"), Qt::LeftButton);
    EXPECT_EQ(p.page.RowCount(), 0);
    EXPECT_EQ(p.label("countLabel"), "Selected:[0] Images");
    EXPECT_EQ(current.last().at(0).toString(), QString());
    EXPECT_EQ(current.last().at(2).toInt(), -1);
    EXPECT_EQ(current.last().at(3).toInt(), 0);
    // Remove with nothing selected does nothing.
    QTest::mouseClick(p.button("removeButton"), Qt::LeftButton);
    EXPECT_EQ(p.page.RowCount(), 0);
}

// A row added before its thumbnail was made gets the properties when the
// browser delivers it, and only that row.
TEST(SelectPage, ALateThumbnailFillsItsRowsProperties)
{
    Page p("page-late");
    for (const char *name : {"a.png", "c.bmp"}) {
        ThumbItem bare;
        bare.entry = FileEntry::From(QFileInfo(p.folder + name));
        p.page.AddOne(bare);
    }
    ASSERT_EQ(p.page.RowText(1, SelectedImage::Properties), "");
    emit p.page.Browser()->thumbnailDelivered(p.folder + "c.bmp");
    EXPECT_EQ(p.page.RowText(1, SelectedImage::Properties), "30x40x16M");
    EXPECT_EQ(p.page.RowText(0, SelectedImage::Properties), "");
}

TEST(SelectPage, DoubleClickInTheBrowserAddsTheClickedPicture)
{
    Page p("page-dclick");
    CThumbList *browser = p.page.Browser();
    const QRect cell = browser->visualRect(browser->model()->index(2, 0));
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    ASSERT_EQ(p.page.RowCount(), 1);
    EXPECT_EQ(p.page.RowPath(0), p.folder + "c.bmp");
}

TEST(SelectPage, SignalsForTheOtherPages)
{
    Page p("page-signals");
    QSignalSpy current(&p.page, &CSelectPage::currentImageChanged);
    QSignalSpy settings(&p.page, &CSelectPage::switchToSettingsRequested);
    QSignalSpy view(&p.page, &CSelectPage::viewRequested);
    QSignalSpy acquire(&p.page, &CSelectPage::acquireRequested);
    p.page.AddAll();
    ASSERT_FALSE(current.isEmpty());
    EXPECT_EQ(current.last().at(0).toString(), p.folder + "c.bmp");
    EXPECT_EQ(current.last().at(2).toInt(), 2);
    EXPECT_EQ(current.last().at(3).toInt(), 3);

    p.page.SetCurrentRotation(-90);
    EXPECT_EQ(p.page.RowText(2, SelectedImage::Rotated), "-90");
    p.page.SelectPreviousImage();
    EXPECT_EQ(current.last().at(0).toString(), p.folder + "b.jpg");
    p.page.SelectNextImage();
    EXPECT_EQ(current.last().at(1).toInt(), -90);
    p.page.SelectNextImage(); // already the last
    EXPECT_EQ(p.page.CurrentRow(), 2);

    auto *list = p.page.findChild<QTableView *>("selectedList");
    const QRect cell = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(settings.count(), 1);

    QTest::mouseClick(p.button("viewButton"), Qt::LeftButton);
    EXPECT_EQ(view.count(), 0); // nothing selected in the browser
    p.page.Browser()->selectionModel()->select(p.page.Browser()->model()->index(2, 0),
                                               QItemSelectionModel::Select);
    QTest::mouseClick(p.button("viewButton"), Qt::LeftButton);
    ASSERT_EQ(view.count(), 1);
    EXPECT_EQ(view.first().at(0).toString(), p.folder + "c.bmp");
    EXPECT_EQ(view.first().at(1).toInt(), 2);
    QTest::mouseClick(p.button("acquireButton"), Qt::LeftButton);
    EXPECT_EQ(acquire.count(), 1);
}

TEST(SelectPage, ColumnsOfTheSelectedList)
{
    CSelectPage page;
    auto *list = page.findChild<QTableView *>("selectedList");
    ASSERT_EQ(list->model()->columnCount(), 7);
    const char *headings[] = {"Name", "Size", "Type", "Modified", "Properties", "Path", "Rotated(\")"};
    const int widths[] = {150, 80, 125, 130, 90, 260, 80};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), headings[c]);
        EXPECT_EQ(list->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST(SelectPageLayout, BrowserAndListTakeTheSpaceButtonsLineUpFromTheRight)
{
    const SelectPageLayout l = SelectPageLayout::Initial().Resized(QSize(800, 600));
    EXPECT_EQ(l.browser.left(), 2);
    EXPECT_EQ(l.browser.top(), 36);
    EXPECT_EQ(l.browser.right() + 1, 800 - 3);
    EXPECT_EQ(l.browser.bottom() + 1, 600 - 219 - 70);
    EXPECT_EQ(l.list.top(), l.browser.height() + 80);
    EXPECT_EQ(l.list.width(), l.browser.width());
    EXPECT_EQ(l.list.height(), 219);
    const int w = l.removeAll.width();
    EXPECT_EQ(l.removeAll.left(), 800 - w - 10);
    EXPECT_EQ(l.removeAll.top(), l.list.top() - 28 - 10);
    EXPECT_EQ(l.remove.left(), l.removeAll.left() - w - 24);
    EXPECT_EQ(l.addAll.left(), l.remove.left() - w - 24);
    EXPECT_EQ(l.add.left(), l.addAll.left() - w - 24);
    EXPECT_EQ(l.add.top(), l.removeAll.top());
    EXPECT_EQ(l.status.top(), l.list.top() - 23 - 10);
    EXPECT_EQ(l.status.right() + 1, l.add.left() - 8); // room for the unreadable files' count
    EXPECT_EQ(l.count.top(), 600 - 18 - 3);
    EXPECT_EQ(l.folderEdit.right() + 1, 800 - 3);
}

// The page puts each control where the layout says, on every resize.
TEST(SelectPageLayout, ThePageFollowsItOnResize)
{
    CSelectPage page;
    for (const QSize size : {QSize(800, 600), QSize(620, 470)}) {
        page.resize(size);
        page.show();
        const SelectPageLayout l = SelectPageLayout::Initial().Resized(size);
        const std::pair<const char *, QRect> expected[] = {
            {"acquireButton", l.acquire},     {"viewButton", l.view},
            {"folderEdit", l.folderEdit},     {"browser", l.browser.adjusted(1, 1, -1, -1)},
            {"statusLabel", l.status},        {"addButton", l.add},
            {"addAllButton", l.addAll},       {"removeButton", l.remove},
            {"removeAllButton", l.removeAll}, {"selectedList", l.list},
            {"countLabel", l.count}};
        for (const auto &[name, rect] : expected)
            EXPECT_EQ(page.findChild<QWidget *>(name)->geometry(), rect) << name << " at " << size.width();
    }
}

namespace {

// Drags mime over target and drops it at pos, as a file manager or another
// view would; true when the target took the drop.
bool dropOn(QWidget *target, QMimeData *mime, QPoint pos = QPoint(10, 10))
{
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QMimeData *urlsOf(const QStringList &paths)
{
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    return mime;
}

QStringList rowNames(const CSelectPage &page)
{
    QStringList names;
    for (const ExportRow &row : page.Images().ExportRows())
        names << QString::fromStdString(row.name);
    return names;
}

} // namespace

// Files and folders from a file manager and thumbnails from the browser are
// added to the list; a row dragged within it moves, and the export's rows
// follow; a folder or picture dropped on the browser names a folder.
TEST(SelectPage, DragAndDropAddsMovesAndGoesToFolders)
{
    Page p("page-drop");
    auto *list = p.page.findChild<QTableView *>("selectedList");
    QWidget *viewport = list->viewport();
    const QString other = freshFolder("page-drop-other");
    savePicture(other + "x.png", 20, 10, 4);
    savePicture(other + "Y.tif", 10, 20, 5);
    writeFile((other + "notes.txt").toStdString(), "no picture");
    QDir().mkpath(other + "sub");
    savePicture(other + "sub/deeper.png", 8, 8, 6);

    // A file manager's drop: one picture, then a folder (its pictures, not its subfolders).
    std::unique_ptr<QMimeData> one(urlsOf({p.folder + "b.jpg"}));
    ASSERT_TRUE(dropOn(viewport, one.get()));
    std::unique_ptr<QMimeData> folder(urlsOf({other, p.folder + "b.jpg"}));
    ASSERT_TRUE(dropOn(viewport, folder.get()));
    EXPECT_EQ(rowNames(p.page), (QStringList{"b.jpg", "x.png", "Y.tif"}));
    EXPECT_EQ(p.page.CurrentRow(), 0); // b.jpg, dropped again, was the last one named
    EXPECT_EQ(p.label("countLabel"), "Selected:[3] Images");
    // Shown in the browser: the row has its properties from the thumbnail.
    EXPECT_EQ(p.page.RowText(0, SelectedImage::Properties), "40x30x16M");
    std::unique_ptr<QMimeData> text(new QMimeData);
    text->setText("plain words");
    EXPECT_FALSE(dropOn(viewport, text.get()));

    // Thumbnails dragged from the browser carry their files.
    CThumbList *browser = p.page.Browser();
    std::unique_ptr<QMimeData> thumbs(browser->model()->mimeData({browser->model()->index(0, 0)}));
    ASSERT_TRUE(thumbs);
    ASSERT_TRUE(dropOn(viewport, thumbs.get()));
    EXPECT_EQ(rowNames(p.page).last(), "a.png");

    // Reordering: the first row, selected and turned, dragged below the
    // third, the last to the top. The Batch Settings page hears where the
    // selected row went, also when its selection moved with it.
    p.page.SelectRow(0);
    p.page.SetCurrentRotation(90);
    QSignalSpy current(&p.page, &CSelectPage::currentImageChanged);
    const auto dragRow = [&](int from, int to) {
        std::unique_ptr<QMimeData> row(list->model()->mimeData({list->model()->index(from, 0)}));
        const QRect target = list->visualRect(list->model()->index(to, 0));
        return dropOn(viewport, row.get(), QPoint(target.center().x(), target.bottom() - 1));
    };
    ASSERT_TRUE(dragRow(0, 2));
    EXPECT_EQ(rowNames(p.page), (QStringList{"x.png", "Y.tif", "b.jpg", "a.png"}));
    EXPECT_EQ(p.page.CurrentRow(), 2);
    EXPECT_EQ(p.page.RowText(2, SelectedImage::Properties), "40x30x16M"); // cells moved whole
    EXPECT_EQ(p.page.RowRotation(2), 90);
    EXPECT_EQ(p.page.RowRotation(0), 0);
    ASSERT_EQ(current.size(), 1);
    EXPECT_EQ(current[0][0].toString(), p.folder + "b.jpg");
    EXPECT_EQ(current[0][1].toInt(), 90);
    EXPECT_EQ(current[0][2].toInt(), 2);
    p.page.MoveRow(3, 0);
    EXPECT_EQ(rowNames(p.page), (QStringList{"a.png", "x.png", "Y.tif", "b.jpg"}));
    EXPECT_EQ(p.page.RowPath(0), p.folder + "a.png");
    EXPECT_EQ(p.page.RowRotation(3), 90);
    EXPECT_EQ(p.page.Images().ExportRows()[3].rotation, 90);
    EXPECT_EQ(current.last()[0].toString(), p.folder + "a.png");
    EXPECT_EQ(current.last()[2].toInt(), 0);

    // On the browser a dropped folder, or a picture's, is where to go.
    QSignalSpy entered(&p.page, &CSelectPage::folderEntered);
    std::unique_ptr<QMimeData> toFolder(urlsOf({other + "sub"}));
    EXPECT_TRUE(dropOn(browser->viewport(), toFolder.get()));
    ASSERT_EQ(entered.size(), 1);
    EXPECT_EQ(entered[0][0].toString(), other + "sub");
    EXPECT_FALSE(dropOn(browser->viewport(), text.get()));
}
