// tests/acquire/media_import_test.cpp
#include "acquire/media_import.h"
#include "acquire/picture_types.h"
#include "platform/message_box.h"
#include "tests/acquire/acquire_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Card
{
    TempTree tree;
    QString card = tree.folder("card");
    QString target = tree.folder("target");
};

long long mtimeOf(const QString &path)
{
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

} // namespace

TEST(PictureTypeOf, ExtensionsFoundInThePatternLists)
{
    EXPECT_EQ(PictureTypeOf(".JPG"), 3);
    EXPECT_EQ(PictureTypeOf(".jpe"), 3);
    EXPECT_EQ(PictureTypeOf(".jpeg"), 3);
    EXPECT_EQ(PictureTypeOf(".Tiff"), 6);
    EXPECT_EQ(PictureTypeOf(".emf"), 10);
    EXPECT_EQ(PictureTypeOf(".wbmp"), 9);
    EXPECT_EQ(PictureTypeOf(""), 1);       // the empty text occurs in the first list
    EXPECT_EQ(PictureTypeOf(".HEIC"), 18); // a phone's card
    EXPECT_EQ(PictureTypeOf(".cr3"), 20);
    EXPECT_EQ(PictureTypeOf(".webp"), 16);
    EXPECT_EQ(PictureTypeOf(".THM"), -1);
    EXPECT_EQ(PictureTypeOf(".txt"), -1);
    EXPECT_EQ(ExtensionOf("DCIM/x.y/IMG_1.JPG"), ".JPG");
    EXPECT_EQ(ExtensionOf("a.d/README"), "");
}

TEST(MediaImport, NestedPicturesLandFlatWithTheirTimesAndTheCardUntouched)
{
    Card c;
    c.tree.file("card/DCIM/100CAM/IMG_0001.JPG", "jpeg-bytes", 1400000000);
    c.tree.file("card/DCIM/100CAM/IMG_0001.THM", "thumb");
    c.tree.file("card/MISC/notes.txt", "text");
    c.tree.file("card/top.png", std::string(3 << 20, 'p'), 1300000000);
    const QStringList before = entriesOf(c.card + "/DCIM/100CAM");
    ScriptedProgress progress;
    MessageRecorder messages;

    CMediaImport import(progress, c.target + "/");
    EXPECT_EQ(import.Run(c.card), 2);

    EXPECT_EQ(entriesOf(c.target), QStringList({"IMG_0001.JPG", "top.png"}));
    EXPECT_EQ(readAll(c.target + "/IMG_0001.JPG"), "jpeg-bytes");
    EXPECT_EQ(readAll(c.target + "/top.png"), std::string(3 << 20, 'p'));
    EXPECT_EQ(mtimeOf(c.target + "/IMG_0001.JPG"), 1400000000);
    EXPECT_EQ(mtimeOf(c.target + "/top.png"), 1300000000);
    EXPECT_EQ(entriesOf(c.card + "/DCIM/100CAM"), before);
    EXPECT_EQ(progress.upper, 2);
    EXPECT_EQ(progress.position, 2);
    EXPECT_TRUE(progress.texts.contains("Searching image file:\r\n[IMG_0001.JPG]"));
    EXPECT_EQ(progress.texts.last().left(20), "Copying image file:\r");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, "2 files saved to [" + c.target + "]!");
}

TEST(MediaImport, EmptyCardAndAFileWithoutExtension)
{
    Card c;
    ScriptedProgress progress;
    MessageRecorder messages;
    CMediaImport import(progress, c.target);
    EXPECT_EQ(import.Run(c.card), 0);
    EXPECT_EQ(messages.texts(), QStringList({"0 files saved to [" + c.target + "]!"}));

    c.tree.file("card/AUTORUN", "x");
    CMediaImport again(progress, c.target);
    EXPECT_EQ(again.Run(c.card), 1);
    EXPECT_EQ(entriesOf(c.target), QStringList({"AUTORUN"}));
}

TEST(MediaImport, ClashingNamesAskAndFollowTheAnswer)
{
    Card c;
    c.tree.file("card/A/IMG.JPG", "first");
    c.tree.file("card/B/IMG.JPG", "second");
    c.tree.file("card/B/IMG2.JPG", "third");
    {
        ScriptedProgress progress;
        MessageRecorder messages;
        messages.answers = {IDNO};
        CMediaImport import(progress, c.target);
        import.Run(c.card);
        const QString kept = readAll(c.target + "/IMG.JPG") == "first" ? "first" : "second";
        ASSERT_EQ(messages.boxes.size(), 2u);
        EXPECT_EQ(messages.boxes[0].text, "File already exists,overwrite?");
        EXPECT_EQ(messages.boxes[0].buttons, unsigned(MB_YESNOCANCEL));
        EXPECT_EQ(messages.boxes[0].icon, unsigned(MB_ICONQUESTION));
        EXPECT_EQ(import.Copied(), 2);
        EXPECT_EQ(progress.position, 3); // the file kept still moves the bar
        EXPECT_FALSE(kept.isEmpty());
    }
    QFile::remove(c.target + "/IMG2.JPG");
    c.tree.file("target/IMG.JPG", "old");
    {
        ScriptedProgress progress;
        MessageRecorder messages;
        messages.answers = {IDYES, IDYES};
        CMediaImport import(progress, c.target);
        EXPECT_EQ(import.Run(c.card), 3);
        EXPECT_NE(readAll(c.target + "/IMG.JPG"), "old");
    }
    {
        ScriptedProgress progress;
        MessageRecorder messages;
        messages.answers = {IDCANCEL};
        CMediaImport import(progress, c.target);
        EXPECT_EQ(import.Run(c.card), 0);
        EXPECT_TRUE(import.Stopped());
        EXPECT_EQ(messages.texts().last(), "0 files saved to [" + c.target + "]!");
        EXPECT_EQ(messages.boxes.size(), 2u); // one question, then the summary
    }
    EXPECT_EQ(entriesOf(c.target), QStringList({"IMG.JPG", "IMG2.JPG"}));
}

TEST(MediaImport, CancelWhileCountingStopsTheCopyingAtItsFirstFile)
{
    Card c;
    for (int i = 0; i < 5; ++i)
        c.tree.file(QString("card/D/P%1.JPG").arg(i), "x");
    ScriptedProgress progress;
    progress.cancelAtPump = 3;
    MessageRecorder messages;
    CMediaImport import(progress, c.target);
    EXPECT_EQ(import.Run(c.card), 0);
    EXPECT_EQ(progress.upper, 2); // counted before the cancel was seen
    EXPECT_TRUE(entriesOf(c.target).isEmpty());
    EXPECT_EQ(messages.texts(), QStringList({"0 files saved to [" + c.target + "]!"}));
}

TEST(MediaImport, CancelWhileCopyingKeepsWhatWasCopied)
{
    Card c;
    for (int i = 0; i < 4; ++i)
        c.tree.file(QString("card/D%1/P%1.JPG").arg(i), "x");
    ScriptedProgress progress;
    progress.cancelAtPump = 4 + 3; // four counting pumps, then the third copy
    MessageRecorder messages;
    CMediaImport import(progress, c.target);
    EXPECT_EQ(import.Run(c.card), 2);
    EXPECT_EQ(progress.upper, 4);
    EXPECT_EQ(entriesOf(c.target).size(), 2);
    EXPECT_EQ(messages.texts().last(), "2 files saved to [" + c.target + "]!");
}

TEST(MediaImport, AFileGoneBetweenThePassesIsNotMissed)
{
    Card c;
    c.tree.file("card/A/1.JPG", "a1");
    c.tree.file("card/A/2.JPG", "a2");
    c.tree.file("card/B/3.JPG", "b3");
    ScriptedProgress progress;
    progress.onSetRange = [&] { QFile::remove(c.card + "/A/2.JPG"); };
    MessageRecorder messages;
    CMediaImport import(progress, c.target);
    EXPECT_EQ(import.Run(c.card), 2);
    EXPECT_EQ(progress.upper, 3);
    EXPECT_EQ(entriesOf(c.target), QStringList({"1.JPG", "3.JPG"}));
    EXPECT_EQ(messages.texts(), QStringList({"2 files saved to [" + c.target + "]!"}));
}

TEST(MediaImport, AFailedCopyEndsItsFolderOnly)
{
    Card c;
    c.tree.file("card/A/1.JPG", "a1");
    c.tree.file("card/A/2.JPG", "a2");
    c.tree.file("card/A/3.JPG", "a3");
    c.tree.file("card/B/4.JPG", "b4");
    // Whichever file of A the walk meets first fails: the rest of A is skipped.
    std::vector<VolumeEntry> entries;
    std::string error;
    ListVolumeFolder(QFile::encodeName(c.card + "/A").toStdString(), entries, error);
    ScriptedProgress progress;
    MessageRecorder messages;
    CMediaImport import(progress, c.target);
    import.SetCopyFault(CopyFault{entries.front().name, 0, EIO});
    EXPECT_EQ(import.Run(c.card), 1);
    EXPECT_EQ(entriesOf(c.target), QStringList({"4.JPG"}));
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_EQ(messages.boxes[0].text, "Input/output error");
    EXPECT_EQ(messages.boxes[0].icon, unsigned(MB_ICONINFORMATION));
}

TEST(MediaImport, AReadErrorLeavesNoHalfFileUnderAnyName)
{
    Card c;
    c.tree.file("card/A/big.jpg", std::string(5 << 20, 'b'));
    c.tree.file("card/B/ok.jpg", "fine");
    c.tree.file("target/big.jpg", "earlier copy");
    ScriptedProgress progress;
    MessageRecorder messages;
    messages.answers = {IDYES};
    CMediaImport import(progress, c.target);
    import.SetCopyFault(CopyFault{"big.jpg", 2 << 20, EIO});
    EXPECT_EQ(import.Run(c.card), 1);
    EXPECT_EQ(entriesOf(c.target), QStringList({"big.jpg", "ok.jpg"})); // no temporary left
    EXPECT_EQ(readAll(c.target + "/big.jpg"), "earlier copy");
    EXPECT_TRUE(messages.texts().contains("Input/output error"));
}

TEST(MediaImport, LinkLoopsAndATargetInsideTheCardAreWalkedOnce)
{
    Card c;
    c.tree.file("card/DCIM/a.jpg", "a");
    ASSERT_EQ(
        ::symlink((c.card).toLocal8Bit().constData(), (c.card + "/DCIM/loop").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink((c.card + "/DCIM").toLocal8Bit().constData(),
                        (c.card + "/again").toLocal8Bit().constData()),
              0);
    const QString inside = c.tree.folder("card/out");
    ScriptedProgress progress;
    MessageRecorder messages;
    CMediaImport import(progress, inside);
    EXPECT_EQ(import.Run(c.card), 1);
    EXPECT_EQ(progress.upper, 1);
    EXPECT_EQ(entriesOf(inside), QStringList({"a.jpg"}));
}
