// tests/collection/folder_tree_test.cpp
#include "collection/folder_tree.h"
#include "collection/typed_folder.h"
#include "tests/collection/collection_test_support.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

struct Tree
{
    CFolderTree tree;
    QString base;
    Tree()
    {
        base = freshFolder("tree");
        for (const char *dir : {"desk/Projects", "desk/.secret", "home/Pictures/2004/July",
                                "home/Pictures/.thumbs", "home/music", "vol/DCIM"})
            QDir().mkpath(base + dir);
        tree.SetRoots(base + "desk/", base + "home", {"/", base + "vol"});
    }
    QTreeWidgetItem *child(QTreeWidgetItem *item, const QString &text)
    {
        for (int i = 0; i < item->childCount(); ++i) {
            if (item->child(i)->text(0) == text)
                return item->child(i);
        }
        return nullptr;
    }
};

} // namespace

TEST(FolderTree, DesktopHoldsHomeComputerAndItsFolders)
{
    Tree t;
    QSignalSpy selected(&t.tree, &CFolderTree::folderSelected);
    t.tree.Populate();
    ASSERT_EQ(t.tree.topLevelItemCount(), 1);
    QTreeWidgetItem *desktop = t.tree.topLevelItem(0);
    EXPECT_EQ(desktop->text(0), "Desktop");
    EXPECT_EQ(CFolderTree::PathOf(desktop), t.base + "desk");
    ASSERT_EQ(desktop->childCount(), 3); // hidden folders are not listed
    EXPECT_EQ(desktop->child(0)->text(0), "Home");
    EXPECT_EQ(CFolderTree::PathOf(desktop->child(0)), t.base + "home");
    EXPECT_TRUE(CFolderTree::IsComputer(desktop->child(1)));
    EXPECT_EQ(desktop->child(2)->text(0), "Projects");
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.first().first().toString(), t.base + "desk");
    QString path;
    EXPECT_TRUE(t.tree.SelectedFolderPath(path));

    QTreeWidgetItem *computer = desktop->child(1);
    ASSERT_EQ(computer->childCount(), 2);
    EXPECT_EQ(CFolderTree::PathOf(computer->child(0)), "/");
    EXPECT_EQ(CFolderTree::PathOf(computer->child(1)), t.base + "vol");
    t.tree.setCurrentItem(computer);
    EXPECT_EQ(selected.last().first().toString(), "");
    EXPECT_FALSE(t.tree.SelectedFolderPath(path));
}

TEST(FolderTree, ChildrenAreReadWhenAFolderIsOpened)
{
    Tree t;
    t.tree.Populate();
    QTreeWidgetItem *home = t.tree.topLevelItem(0)->child(0);
    EXPECT_EQ(home->childCount(), 0);
    EXPECT_EQ(home->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    home->setExpanded(true);
    ASSERT_EQ(home->childCount(), 2);
    EXPECT_EQ(home->child(0)->text(0), "music");
    EXPECT_EQ(home->child(1)->text(0), "Pictures");
    home->setExpanded(false);
    home->setExpanded(true);
    EXPECT_EQ(home->childCount(), 2); // read once
    QTreeWidgetItem *music = home->child(0);
    EXPECT_NE(music->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
}

TEST(FolderTree, SelectPathWalksToTheFolder)
{
    Tree t;
    t.tree.Populate();
    QSignalSpy selected(&t.tree, &CFolderTree::folderSelected);
    EXPECT_TRUE(t.tree.SelectPath(t.base + "home/Pictures/2004/"));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.first().first().toString(), t.base + "home/Pictures/2004");
    QString path;
    ASSERT_TRUE(t.tree.SelectedFolderPath(path));
    EXPECT_EQ(path, t.base + "home/Pictures/2004");
    EXPECT_TRUE(t.tree.currentItem()->parent()->isExpanded());

    // Through Computer and the root for a folder outside home.
    EXPECT_TRUE(t.tree.SelectPath(t.base + "vol/DCIM"));
    ASSERT_TRUE(t.tree.SelectedFolderPath(path));
    EXPECT_EQ(path, t.base + "vol/DCIM");
    EXPECT_TRUE(t.tree.SelectPath("/"));
    ASSERT_TRUE(t.tree.SelectedFolderPath(path));
    EXPECT_EQ(path, "/");

    // A hidden or missing folder: the walk ends at the deepest folder found.
    EXPECT_FALSE(t.tree.SelectPath(t.base + "home/Pictures/.thumbs"));
    ASSERT_TRUE(t.tree.SelectedFolderPath(path));
    EXPECT_EQ(path, t.base + "home/Pictures");
    EXPECT_FALSE(t.tree.SelectPath(t.base + "home/nothing/here"));
    ASSERT_TRUE(t.tree.SelectedFolderPath(path));
    EXPECT_EQ(path, t.base + "home");
}

// F5 reads the opened folders again: new folders in name order, removed ones
// gone, the rest as they were; a change in an opened folder does the same
// by itself about half a second later.
TEST(FolderTree, F5AndChangesInOpenedFoldersReadThemAgain)
{
    Tree t;
    t.tree.Populate();
    QTreeWidgetItem *desktop = t.tree.topLevelItem(0);
    QTreeWidgetItem *home = t.child(desktop, "Home");
    home->setExpanded(true);
    QTreeWidgetItem *pictures = t.child(home, "Pictures");
    pictures->setExpanded(true);
    ASSERT_NE(t.child(pictures, "2004"), nullptr);

    QDir().mkpath(t.base + "home/Art");
    QDir().mkpath(t.base + "home/Pictures/2005");
    QDir().mkpath(t.base + "desk/Notes");
    QDir(t.base + "home/music").removeRecursively();
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QApplication::sendEvent(&t.tree, &f5);
    const auto texts = [](QTreeWidgetItem *item) {
        QStringList names;
        for (int i = 0; i < item->childCount(); ++i)
            names << item->child(i)->text(0);
        return names;
    };
    EXPECT_EQ(texts(home), (QStringList{"Art", "Pictures"}));
    EXPECT_EQ(t.child(home, "Pictures"), pictures); // the same item, still open
    EXPECT_TRUE(pictures->isExpanded());
    EXPECT_EQ(texts(pictures), (QStringList{"2004", "2005"}));
    EXPECT_EQ(texts(desktop), (QStringList{"Home", "Computer", "Notes", "Projects"}));

    // Nobody presses F5: the watcher on the opened folders refreshes (once
    // its thread, started again by the refresh, has set up its watches).
    QTest::qWait(300);
    QDir().mkpath(t.base + "home/Pictures/1999");
    EXPECT_TRUE(QTest::qWaitFor([&] { return texts(pictures).contains("1999"); }, 5000));
    EXPECT_EQ(texts(pictures).first(), "1999");
    // Also for folders opened by a walk to a path.
    t.tree.SelectPath(t.base + "home/Pictures/2004");
    QTreeWidgetItem *year = t.tree.currentItem();
    QTest::qWait(300);
    QDir().mkpath(t.base + "home/Pictures/2004/August");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return texts(year->parent()).size() == 3 && t.child(year, "August"); }, 5000))
        << texts(year).join(',').toStdString();
}

// What the Folder field makes of typed or pasted text.
TEST(TypedFolder, PathsUrlsHomeAndFilesNameAFolder)
{
    const QString base = freshFolder("typed");
    QDir().mkpath(base + "Trip 2026");
    savePicture(base + "Trip 2026/a.png", 4, 4);
    const QString trip = base + "Trip 2026";
    EXPECT_EQ(folderFromUserText(" " + trip + "/ ", "/h").folder, trip);
    EXPECT_EQ(folderFromUserText("\"" + trip + "\"", "/h").folder, trip);
    EXPECT_EQ(folderFromUserText(QUrl::fromLocalFile(trip).toString(), "/h").folder, trip);
    EXPECT_EQ(folderFromUserText(trip + "/a.png", "/h").folder, trip); // a picture stands for its folder
    EXPECT_EQ(folderFromUserText("~/Trip 2026", base.chopped(1)).folder, trip);
    EXPECT_EQ(folderFromUserText("/", "/h").folder, "/");
    EXPECT_EQ(folderFromUserText(trip + "/../Trip 2026/./", "/h").folder, trip);
    EXPECT_EQ(folderFromUserText(trip + "/gone", "/h").problem,
              "The folder [" + trip + "/gone] does not exist.");
    EXPECT_TRUE(folderFromUserText("Trip 2026", "/h").problem.startsWith("Type the whole path"));
    EXPECT_TRUE(folderFromUserText("  ", "/h").problem.startsWith("Type the path of a folder"));
    EXPECT_TRUE(folderFromUserText("  ", "/h").folder.isEmpty());
}
