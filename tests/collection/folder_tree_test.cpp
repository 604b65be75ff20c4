// tests/collection/folder_tree_test.cpp
#include "collection/folder_tree.h"
#include "tests/collection/collection_test_support.h"

#include <QDir>
#include <QSignalSpy>

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
