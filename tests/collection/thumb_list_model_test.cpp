// tests/collection/thumb_list_model_test.cpp
#include "collection/thumb_list.h"
#include "collection/thumb_list_model.h"
#include "tests/collection/collection_test_support.h"
#include "tests/support/pictures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QStringList names(const ThumbListModel &model)
{
    QStringList list;
    for (int i = 0; i < model.Count(); ++i)
        list << model.Item(i)->entry.name;
    return list;
}

std::unique_ptr<CThumbObj> madeThumb(const QString &path)
{
    auto thumb = std::make_unique<CThumbObj>(path);
    thumb->MakeThumbnail();
    return thumb;
}

void deliverAll(ThumbListModel &model)
{
    while (const std::optional<int> job = model.NextJob(0)) {
        const QString path = model.PathAt(*job);
        model.Deliver(*job, path, madeThumb(path));
    }
}

const QString kFilter = CThumbList::DefaultFilter();

} // namespace

TEST(Scan, ListsPicturesOnlySortedByNameIgnoringCase)
{
    const QString folder = freshFolder("scan-list");
    savePicture(folder + "b.jpg", 20, 20);
    savePicture(folder + "A.png", 20, 20);
    savePicture(folder + "c.BMP", 20, 20);
    savePicture(folder + "Dolomites.png", 20, 20);
    savePicture(folder + ".hidden.png", 20, 20);
    writeFile((folder + "notes.txt").toStdString(), "text");
    writeFile((folder + "still.j2k").toStdString(), "j2k");
    QDir().mkpath(folder + "sub.jpg");
    ThumbListModel model;
    EXPECT_EQ(model.Scan(folder, kFilter, true), 5);
    EXPECT_EQ(names(model), (QStringList{"A.png", "b.jpg", "c.BMP", "Dolomites.png", "still.j2k"}));
    EXPECT_EQ(model.Item(0)->entry.path, folder + "A.png");
    EXPECT_EQ(model.Item(0)->entry.extension, ".png");
    EXPECT_TRUE(model.PassState().changed);
    EXPECT_EQ(model.PassState().newPaths.size(), 5);
    EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "b.jpg");
    EXPECT_EQ(model.data(model.index(3), Qt::DisplayRole).toString(), "Dolomite"); // the first 8 characters

    ThumbListModel all;
    all.Scan(folder, "*", true);
    EXPECT_EQ(all.Count(), 6); // the text file too, never folders or hidden files
}

TEST(Scan, FilterTokensMatchWholeExtensionsIgnoringCase)
{
    EXPECT_TRUE(ThumbListModel::PassesFilter("a.JPG", "bmp;jpg"));
    EXPECT_FALSE(ThumbListModel::PassesFilter("a.jpgx", "bmp;jpg"));
    EXPECT_FALSE(ThumbListModel::PassesFilter("jpg", "bmp;jpg"));
    EXPECT_TRUE(ThumbListModel::PassesFilter("trip.2024.jpg", "bmp;jpg")); // the last dot counts
    EXPECT_FALSE(ThumbListModel::PassesFilter("a.jpg.txt", "bmp;jpg"));
    EXPECT_TRUE(ThumbListModel::PassesFilter("anything", "bmp;*"));
}

TEST(Scan, RefreshPutsNewFilesFirstAndKeepsOrDropsChangedOnes)
{
    const QString folder = freshFolder("scan-refresh");
    for (const char *name : {"a.png", "b.png", "c.png"})
        savePicture(folder + name, 20, 20);
    ThumbListModel model;
    model.Scan(folder, kFilter, true);
    deliverAll(model);
    EXPECT_EQ(model.PassState().done, 3);

    // Nothing changed: nothing to do.
    EXPECT_EQ(model.Scan(folder, kFilter, false), 0);
    EXPECT_FALSE(model.PassState().changed);
    EXPECT_FALSE(model.NextJob(0).has_value());

    // The watcher's refresh: new files first in directory order, no sort; a
    // rewritten file is dropped and comes back as new.
    savePicture(folder + "d.png", 20, 20);
    setModified(folder + "b.png", 1000000000);
    model.Scan(folder, kFilter, false);
    ASSERT_EQ(model.Count(), 4);
    QStringList front{model.Item(0)->entry.name, model.Item(1)->entry.name};
    front.sort();
    EXPECT_EQ(front, (QStringList{"b.png", "d.png"}));
    EXPECT_EQ(model.Item(2)->entry.name, "a.png");
    EXPECT_EQ(model.Item(3)->entry.name, "c.png");
    EXPECT_FALSE(model.Item(0)->HasThumb());
    deliverAll(model);

    // The user's refresh keeps a rewritten item, makes its thumbnail again and sorts.
    setModified(folder + "c.png", 1100000000);
    model.Scan(folder, kFilter, true);
    EXPECT_EQ(names(model), (QStringList{"a.png", "b.png", "c.png", "d.png"}));
    EXPECT_TRUE(model.Item(2)->thumb != nullptr);
    EXPECT_EQ(model.NextJob(0), 2);
    EXPECT_TRUE(model.PassState().newPaths.isEmpty());
}

TEST(Scan, VanishedFilesLeaveWhenTheJobSearchMeetsThem)
{
    const QString folder = freshFolder("scan-vanish");
    for (const char *name : {"a.png", "b.png", "c.png"})
        savePicture(folder + name, 20, 20);
    ThumbListModel model;
    model.Scan(folder, kFilter, true);
    deliverAll(model);
    QFile::remove(folder + "b.png");
    model.Scan(folder, kFilter, true);
    EXPECT_TRUE(model.PassState().changed);
    EXPECT_EQ(model.Count(), 3);
    EXPECT_FALSE(model.NextJob(0).has_value());
    EXPECT_EQ(names(model), (QStringList{"a.png", "c.png"}));
}

TEST(JobSearch, VisibleItemsFirstThenBackwards)
{
    const QString folder = freshFolder("job-order");
    for (const char *name : {"a.png", "b.png", "c.png", "d.png", "e.png"})
        savePicture(folder + name, 8, 8);
    ThumbListModel model;
    model.Scan(folder, kFilter, true);
    QList<int> order;
    while (const std::optional<int> job = model.NextJob(2)) {
        order << *job;
        model.Deliver(*job, model.PathAt(*job), madeThumb(model.PathAt(*job)));
    }
    EXPECT_EQ(order, (QList<int>{2, 3, 4, 1, 0}));
}

TEST(Delivery, ResultsGoToTheirPathAndUndecodableFilesLeave)
{
    const QString folder = freshFolder("delivery");
    savePicture(folder + "a.png", 8, 8);
    savePicture(folder + "b.png", 8, 8);
    writeFile((folder + "broken.png").toStdString(), "not a png");
    ThumbListModel model;
    model.Scan(folder, kFilter, true); // a, b, broken
    int row = -1;
    // The list changed since the job was given: the result finds its item by path.
    EXPECT_EQ(model.Deliver(0, folder + "b.png", madeThumb(folder + "b.png"), &row),
              ThumbListModel::Delivery::Attached);
    EXPECT_EQ(row, 1);
    EXPECT_TRUE(model.Item(1)->HasThumb());
    EXPECT_FALSE(model.Item(0)->HasThumb());
    // A result for a file no longer listed is dropped.
    EXPECT_EQ(model.Deliver(0, folder + "gone.png", madeThumb(folder + "a.png")),
              ThumbListModel::Delivery::Dropped);
    EXPECT_FALSE(model.Item(0)->HasThumb());
    // A file that does not decode leaves the list.
    EXPECT_EQ(model.Deliver(2, folder + "broken.png", madeThumb(folder + "broken.png")),
              ThumbListModel::Delivery::Removed);
    EXPECT_EQ(names(model), (QStringList{"a.png", "b.png"}));
    EXPECT_FALSE(model.PassState().newPaths.contains(folder + "broken.png"));
    EXPECT_EQ(model.PassState().done, 1);
    // The tooltip appears with the thumbnail.
    EXPECT_FALSE(model.data(model.index(0), Qt::ToolTipRole).isValid());
    EXPECT_TRUE(model.data(model.index(1), Qt::ToolTipRole).toString().contains("8x8x16M"));
}
