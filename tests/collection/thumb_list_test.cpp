// tests/collection/thumb_list_test.cpp
#include "collection/thumb_cache_file.h"
#include "collection/thumb_item.h"
#include "collection/thumb_list.h"
#include "tests/collection/collection_test_support.h"
#include "tests/support/message_recorder.h"
#include "tests/support/pictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString makeFolder(const std::string &name, int pictures, int size = 40)
{
    const QString folder = freshFolder(name);
    for (int i = 0; i < pictures; ++i)
        savePicture(folder + QStringLiteral("pic%1.png").arg(i, 2, 10, QChar('0')), size, size * 3 / 4,
                    unsigned(i + 1));
    return folder;
}

struct Browser
{
    CThumbList list;
    Browser()
    {
        list.resize(640, 400);
        list.SetThumbnailMode(true);
    }
    bool WaitForPass(int timeoutMs = 20000)
    {
        return QTest::qWaitFor([&] { return !list.PassRunning() && list.AddEnabled(); }, timeoutMs);
    }
    int WithThumbs() const
    {
        int n = 0;
        for (int i = 0; i < list.Count(); ++i)
            n += list.ItemAt(i)->HasThumb() ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(ThumbList, APassFillsEveryCellAndWritesTheCache)
{
    const QString folder = makeFolder("list-pass", 12);
    writeFile((folder + "broken.jpg").toStdString(), "not a picture");
    writeFile((folder + "still.j2k").toStdString(), "j2k");
    Browser b;
    QSignalSpy status(&b.list, &CThumbList::statusTextChanged);
    QSignalSpy enabled(&b.list, &CThumbList::addEnabledChanged);
    b.list.SetFolder(folder);
    EXPECT_FALSE(b.list.AddEnabled());
    EXPECT_EQ(b.list.Count(), 14); // listed at once, before any thumbnail
    ASSERT_TRUE(b.WaitForPass());
    EXPECT_EQ(b.list.Count(), 13); // the file that does not decode left
    EXPECT_EQ(b.WithThumbs(), 13);
    EXPECT_EQ(status.last().first().toString(), "Total:[13] Images, 1 file could not be read");
    EXPECT_EQ(b.list.UnreadableFiles(), QStringList{"broken.jpg"});
    bool sawLoading = false;
    for (const QList<QVariant> &s : status)
        sawLoading = sawLoading || s.first().toString().startsWith("Loading [");
    EXPECT_TRUE(sawLoading);
    EXPECT_EQ(enabled.first().first().toBool(), false);
    EXPECT_EQ(enabled.last().first().toBool(), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ThumbCachePath(folder)); }, 5000));
    const CacheReadResult cache = ReadThumbCacheFile(folder);
    EXPECT_EQ(cache.status, CacheRead::Read);
    EXPECT_EQ(cache.objects.size(), 13u);
}

TEST(ThumbList, ReopeningTakesThumbnailsFromTheCache)
{
    const QString folder = makeFolder("list-reopen", 6);
    {
        Browser b;
        b.list.SetFolder(folder);
        ASSERT_TRUE(b.WaitForPass());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ThumbCachePath(folder)); }, 5000));
    }
    // The picture's bytes are spoiled but its time kept: only the cache can
    // still give it a thumbnail.
    const QString spoiled = folder + "pic03.png";
    const qint64 time = QFileInfo(spoiled).lastModified().toSecsSinceEpoch();
    writeFile(spoiled.toStdString(), "spoiled");
    setModified(spoiled, time);
    Browser again;
    again.list.SetFolder(folder);
    ASSERT_TRUE(again.WaitForPass());
    EXPECT_EQ(again.list.Count(), 6);
    EXPECT_EQ(again.WithThumbs(), 6);
    // With another time the file is decoded again, fails, and leaves.
    setModified(spoiled, time - 100);
    Browser third;
    third.list.SetFolder(folder);
    ASSERT_TRUE(third.WaitForPass());
    EXPECT_EQ(third.list.Count(), 5);
}

TEST(ThumbList, ADamagedCacheIsReportedOnceAndRewritten)
{
    const QString folder = makeFolder("list-damaged", 4);
    std::vector<const CThumbObj *> none;
    auto bytes = ThumbCacheBytes(folder, none);
    bytes[bytes.size() - 2] = 5; // five objects that are not there
    QString error;
    ASSERT_TRUE(WriteThumbCacheFile(folder, bytes, error));
    MessageRecorder messages;
    {
        Browser b;
        b.list.SetFolder(folder);
        ASSERT_TRUE(b.WaitForPass());
        EXPECT_EQ(b.WithThumbs(), 4);
        QTest::qWait(50);
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts().first().contains("tessary.brw"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReadThumbCacheFile(folder).status == CacheRead::Read; }, 5000));
    EXPECT_EQ(ReadThumbCacheFile(folder).objects.size(), 4u);
}

// A cache of the schema before thumbnails were converted to sRGB holds a
// phone's picture washed out: it is passed over without a word, every
// thumbnail is made again from its file, and the cache is written anew.
TEST(ThumbList, ACacheOfAnEarlierSchemaIsMadeAgainQuietly)
{
    const QString folder = makeFolder("list-old-schema", 4);
    {
        Browser b;
        b.list.SetFolder(folder);
        ASSERT_TRUE(b.WaitForPass());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ThumbCachePath(folder)); }, 5000));
    }
    std::string bytes = readFile(ThumbCachePath(folder).toStdString());
    const std::string tag = std::string("\xFF\xFF\x03\x00\x09\x00", 6) + "CThumbObj";
    const std::size_t at = bytes.find(tag);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2] = 2;
    writeFile(ThumbCachePath(folder).toStdString(), bytes);
    // Only a thumbnail made again from the file notices that it is spoiled.
    const QString spoiled = folder + "pic01.png";
    const qint64 time = QFileInfo(spoiled).lastModified().toSecsSinceEpoch();
    writeFile(spoiled.toStdString(), "spoiled");
    setModified(spoiled, time);

    MessageRecorder messages;
    Browser again;
    again.list.SetFolder(folder);
    ASSERT_TRUE(again.WaitForPass());
    EXPECT_EQ(again.list.Count(), 3);
    EXPECT_EQ(again.WithThumbs(), 3);
    QTest::qWait(50);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(" ").toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::string now = readFile(ThumbCachePath(folder).toStdString());
            return now.find(tag) != std::string::npos;
        },
        5000));
    const CacheReadResult cache = ReadThumbCacheFile(folder);
    EXPECT_EQ(cache.status, CacheRead::Read);
    EXPECT_EQ(cache.objects.size(), 3u);
}

TEST(ThumbList, WatcherRefreshesAboutHalfASecondLater)
{
    const QString folder = makeFolder("list-watch", 3);
    Browser b;
    b.list.SetFolder(folder);
    b.list.WatchFolder(folder);
    ASSERT_TRUE(b.WaitForPass());
    QTest::qWait(1500); // the refreshes for the cache file's own arrival are over

    QElapsedTimer clock;
    clock.start();
    savePicture(folder + "zz-new.png", 30, 20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.list.Count() == 4; }, 5000));
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_EQ(b.list.PathAt(0), folder + "zz-new.png"); // new first, not sorted
    ASSERT_TRUE(b.WaitForPass());

    // A rename shows up under the new name; the old one leaves.
    QFile::rename(folder + "pic00.png", folder + "renamed.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.list.PathAt(0) == folder + "renamed.png"; }, 5000));
    ASSERT_TRUE(b.WaitForPass());
    EXPECT_EQ(b.list.Count(), 4);
    for (int i = 0; i < b.list.Count(); ++i)
        EXPECT_NE(b.list.PathAt(i), folder + "pic00.png");

    // A rewritten file is dropped and added anew at the front.
    savePicture(folder + "pic02.png", 50, 50, 99);
    setModified(folder + "pic02.png", 1000000000); // times are kept to the second
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.list.PathAt(0) == folder + "pic02.png"; }, 5000));
    ASSERT_TRUE(b.WaitForPass());
    EXPECT_EQ(b.list.ItemAt(0)->thumb->Picture()->GetOrignWidth(), 50u);

    // A deleted file leaves.
    QFile::remove(folder + "pic01.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.list.Count() == 3 && b.list.AddEnabled(); }, 5000));

    // After Unwatch nothing refreshes any more.
    b.list.UnwatchFolder(folder);
    savePicture(folder + "late.png", 10, 10);
    QTest::qWait(1200);
    EXPECT_EQ(b.list.Count(), 3);
}

TEST(ThumbList, F5KeepsChangedItemsInSortedOrder)
{
    const QString folder = makeFolder("list-f5", 3);
    Browser b;
    b.list.SetFolder(folder);
    ASSERT_TRUE(b.WaitForPass());
    savePicture(folder + "pic01.png", 64, 64, 7);
    setModified(folder + "pic01.png", 1000000000); // times are kept to the second
    savePicture(folder + "aa-new.png", 10, 10);
    savePicture(folder + "zz-new.png", 10, 10);
    b.list.SetCurrentIndex(1); // pic01 stays picked while the items move around it
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QApplication::sendEvent(&b.list, &f5);
    ASSERT_TRUE(b.WaitForPass());
    ASSERT_EQ(b.list.Count(), 5);
    EXPECT_EQ(b.list.PathAt(0), folder + "aa-new.png");
    EXPECT_EQ(b.list.PathAt(2), folder + "pic01.png");
    EXPECT_EQ(b.list.PathAt(4), folder + "zz-new.png");
    EXPECT_EQ(b.list.ItemAt(2)->thumb->Picture()->GetOrignWidth(), 64u);
    EXPECT_EQ(b.list.CurrentIndex(), 2);
    EXPECT_EQ(b.list.SelectedIndexes(), (std::vector<int>{2}));
}

// Files that cannot be read are counted in the status and named for its
// tooltip until they read (rewritten) or go; another folder starts afresh.
TEST(ThumbList, UnreadableFilesAreCountedUntilTheyReadOrGo)
{
    const QString folder = makeFolder("list-unreadable", 2);
    writeFile((folder + "empty.png").toStdString(), "");
    writeFile((folder + "text.jpg").toStdString(), "a letter, not a photograph");
    Browser b;
    QSignalSpy names(&b.list, &CThumbList::unreadableChanged);
    QSignalSpy status(&b.list, &CThumbList::statusTextChanged);
    b.list.SetFolder(folder);
    ASSERT_TRUE(b.WaitForPass());
    EXPECT_EQ(status.last().first().toString(), "Total:[2] Images, 2 files could not be read");
    EXPECT_EQ(names.last().first().toStringList(), (QStringList{"empty.png", "text.jpg"}));

    savePicture(folder + "empty.png", 20, 20);
    QFile::remove(folder + "text.jpg");
    b.list.Refresh();
    ASSERT_TRUE(b.WaitForPass());
    EXPECT_EQ(b.list.Count(), 3);
    EXPECT_EQ(status.last().first().toString(), "Total:[3] Images");
    EXPECT_TRUE(b.list.UnreadableFiles().isEmpty());

    writeFile((folder + "again.gif").toStdString(), "GIF89a");
    b.list.Refresh();
    ASSERT_TRUE(b.WaitForPass());
    EXPECT_EQ(b.list.UnreadableFiles(), QStringList{"again.gif"});
    b.list.SetFolder(makeFolder("list-unreadable-2", 1));
    ASSERT_TRUE(b.WaitForPass());
    EXPECT_TRUE(b.list.UnreadableFiles().isEmpty());
    EXPECT_EQ(status.last().first().toString(), "Total:[1] Images");
}

TEST(ThumbList, CtrlASelectsEverything)
{
    const QString folder = makeFolder("list-ctrla", 5);
    Browser b;
    b.list.SetFolder(folder);
    ASSERT_TRUE(b.WaitForPass());
    QTest::keyClick(&b.list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(b.list.SelectedIndexes(), (std::vector<int>{0, 1, 2, 3, 4}));
}

namespace {

// A click on the middle of cell row with these keys held.
void clickCell(CThumbList &list, int row, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, keys, at);
}

} // namespace

TEST(ThumbList, ClicksPickOneCtrlAddsShiftTakesARange)
{
    const QString folder = makeFolder("list-clicks", 6);
    Browser b;
    b.list.SetFolder(folder);
    ASSERT_TRUE(b.WaitForPass());
    QSignalSpy add(&b.list, &CThumbList::addSelectedRequested);
    clickCell(b.list, 3);
    clickCell(b.list, 1);
    EXPECT_EQ(b.list.SelectedIndexes(), (std::vector<int>{1}));
    clickCell(b.list, 3, Qt::ShiftModifier);
    EXPECT_EQ(b.list.SelectedIndexes(), (std::vector<int>{1, 2, 3}));
    clickCell(b.list, 5, Qt::ControlModifier);
    clickCell(b.list, 0, Qt::ControlModifier);
    EXPECT_EQ(b.list.SelectedIndexes(), (std::vector<int>{0, 1, 2, 3, 5})); // in the browser's order
    clickCell(b.list, 2, Qt::ControlModifier);
    EXPECT_EQ(b.list.SelectedIndexes(), (std::vector<int>{0, 1, 3, 5}));
    EXPECT_EQ(add.count(), 0);
    // A double click picks its cell and asks for the pick to be added.
    const QPoint at = b.list.visualRect(b.list.model()->index(4, 0)).center();
    QTest::mouseDClick(b.list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(b.list.SelectedIndexes(), (std::vector<int>{4}));
    EXPECT_EQ(add.count(), 1);
}

TEST(ThumbList, FolderChangesAndShutdownDuringAPassNeverHang)
{
    const QString one = makeFolder("list-stop-a", 16, 300);
    const QString two = makeFolder("list-stop-b", 5, 30);
    for (int round = 0; round < 12; ++round) {
        Browser b;
        b.list.SetFolder(one);
        QTest::qWait(round * 3);
        if (round % 3 == 0)
            b.list.SetFolder(two);
        if (round % 4 == 1) {
            b.list.SetFolder(two);
            ASSERT_TRUE(b.WaitForPass());
            EXPECT_EQ(b.list.Count(), 5);
            for (int i = 0; i < b.list.Count(); ++i)
                EXPECT_TRUE(b.list.PathAt(i).startsWith(two));
            EXPECT_EQ(b.WithThumbs(), 5);
        }
    }
}

TEST(ThumbList, MissingEmptyAndVanishingFolders)
{
    Browser b;
    QSignalSpy status(&b.list, &CThumbList::statusTextChanged);
    b.list.SetFolder("/no/such/folder/");
    EXPECT_EQ(b.list.Count(), 0);
    EXPECT_FALSE(b.list.AddEnabled());
    const QString empty = freshFolder("list-empty");
    b.list.SetFolder(empty);
    QTest::qWait(50);
    EXPECT_TRUE(status.isEmpty() || status.last().first().toString().isEmpty());
    EXPECT_FALSE(b.list.AddEnabled());

    const QString doomed = makeFolder("list-doomed", 4);
    b.list.SetFolder(doomed);
    b.list.WatchFolder(doomed);
    ASSERT_TRUE(b.WaitForPass());
    QDir(doomed).removeRecursively();
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.list.Count() == 0; }, 5000));
}
