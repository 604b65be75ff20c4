// tests/collection/select_page_screenshot_test.cpp
// Draws the page with real pictures into a PNG for a look by eye, and
// checks that the cells were painted as thumbnails.
#include "collection/folder_tree.h"
#include "collection/select_page.h"
#include "collection/thumb_list.h"
#include "tests/collection/collection_test_support.h"
#include "tests/support/corpora.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

TEST(SelectPageScreenshot, PageWithRealPictures)
{
    ZV_REQUIRE_CORPUS("libjpeg-turbo-testimages");
    const QString folder = freshFolder("screenshot");
    for (const char *name : {"testorig.jpg", "monkey16.png", "shira_bird8.bmp", "vgl_6548_0026a.bmp"})
        QFile::copy(QString::fromStdString(corporaDir() + "/libjpeg-turbo-testimages/") + name,
                    folder + name);
    savePicture(folder + "generated.tif", 300, 200);
    savePicture(folder + "portrait.pcx", 200, 300);
    CSelectPage page;
    page.resize(800, 560);
    page.SetFolder(folder);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return page.Browser()->AddEnabled() && !page.Browser()->PassRunning(); }, 20000));
    page.Browser()->selectionModel()->select(page.Browser()->model()->index(1, 0),
                                             QItemSelectionModel::Select);
    page.AddAll();
    page.SelectRow(1);
    const QImage shot = page.grab().toImage();
    const QString out = QStringLiteral(ZV_BINARY_DIR "/screenshots/");
    QDir().mkpath(out);
    EXPECT_TRUE(shot.save(out + "select_page.png"));
    // The label of the .bmp file carries the type's colour.
    int bmp = 0;
    while (bmp < page.Browser()->Count() && !page.Browser()->PathAt(bmp).endsWith("shira_bird8.bmp"))
        ++bmp;
    ASSERT_LT(bmp, page.Browser()->Count());
    const QRect cell = page.Browser()->visualRect(page.Browser()->model()->index(bmp, 0));
    const QPoint inBrowser = page.Browser()->viewport()->mapTo(&page, cell.topLeft());
    bool found = false;
    for (int y = 95; y < cell.height() && !found; ++y)
        found = shot.pixel(inBrowser.x() + 14, inBrowser.y() + y) == qRgb(231, 231, 255);
    EXPECT_TRUE(found);
}

TEST(FolderTreeScreenshot, TreeOpenedToAFolder)
{
    const QString base = freshFolder("tree-shot");
    for (const char *dir : {"desk/Projects", "home/Pictures/2004/July", "home/Pictures/2005", "home/Music"})
        QDir().mkpath(base + dir);
    CFolderTree tree;
    tree.SetRoots(base + "desk", base + "home", {"/", "/media/card"});
    tree.resize(260, 420);
    ASSERT_TRUE(tree.SelectPath(base + "home/Pictures/2004"));
    const QString out = QStringLiteral(ZV_BINARY_DIR "/screenshots/");
    QDir().mkpath(out);
    EXPECT_TRUE(tree.grab().toImage().save(out + "folder_tree.png"));
    EXPECT_EQ(tree.currentItem()->text(0), "2004");
}
