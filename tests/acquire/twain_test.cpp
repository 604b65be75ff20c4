// tests/acquire/twain_test.cpp
// The connection against the scriptable test manager: whole sessions from
// opening the manager to the saved files, and the protocol's corners.
#include "acquire/acquire_settings.h"
#include "acquire/acquire_twain.h"
#include "imagelib/core/image.h"
#include "platform/message_box.h"
#include "tests/acquire/acquire_test_support.h"
#include "tests/acquire/test_dsm/test_dsm.h"

#include <QFile>
#include <QLibrary>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// Held open by the test itself, so its script survives the connection
// unloading the manager.
struct TestManager
{
    struct Library
    {
        void *handle = ::dlopen(ZV_TEST_DSM, RTLD_NOW);
        ~Library() { ::dlclose(handle); }
        void *resolve(const char *name) { return ::dlsym(handle, name); }
    } library;
    void script(const ZvTestScript &s)
    {
        reinterpret_cast<void (*)(const ZvTestScript *)>(library.resolve("zvTestDsmScript"))(&s);
    }
    long outstanding()
    {
        return reinterpret_cast<long (*)()>(library.resolve("zvTestDsmOutstandingBlocks"))();
    }
    std::vector<int> countsAsked()
    {
        int out[16];
        const int n = reinterpret_cast<int (*)(int *, int)>(library.resolve("zvTestDsmCountsAsked"))(out, 16);
        return std::vector<int>(out, out + n);
    }
    int opened() { return reinterpret_cast<int (*)()>(library.resolve("zvTestDsmOpenedSource"))(); }
};

class PickingTwain : public CAcquireTwain
{
  public:
    using CAcquireTwain::CAcquireTwain;
    int pick = -1;
    std::vector<std::string> offered;

  protected:
    int PickSource(const std::vector<TW_IDENTITY> &sources) override
    {
        for (const TW_IDENTITY &s : sources)
            offered.push_back(s.ProductName);
        return pick;
    }
};

class Twain : public ::testing::Test
{
  protected:
    TempTree tree;
    QString folder = tree.folder("scans");
    AcquireSettings settings{folder, 0, "Photo"};
    QStringList saved;
    QWidget window;
    TestManager manager;
    PickingTwain twain{settings, [] { return QString(); }, [this](const QString &p) { saved << p; },
                       QStringList{ZV_TEST_DSM}};

    // One acquisition, until the source has asked to be closed or the manager stops answering.
    void acquire(const ZvTestScript &script, int count = -1, bool choose = false)
    {
        manager.script(script);
        ASSERT_TRUE(twain.OpenManager(&window));
        ASSERT_TRUE(choose ? twain.ChooseSource() : twain.UseDefaultSource());
        ASSERT_TRUE(twain.StartAcquisition(count));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !twain.IsSourceOpen(); }, 3000));
    }
};

RGBQUAD centre(const QString &path)
{
    ZvImage image;
    EXPECT_TRUE(image.Load(QFile::encodeName(path).constData(), 0)) << path.toStdString();
    return image.GetPixelColor(std::int32_t(image.GetWidth() / 2), std::int32_t(image.GetHeight() / 2));
}

void expectColour(const RGBQUAD &c, int r, int g, int b)
{
    EXPECT_NEAR(c.rgbRed, r, 8);
    EXPECT_NEAR(c.rgbGreen, g, 8);
    EXPECT_NEAR(c.rgbBlue, b, 8);
}

} // namespace

TEST_F(Twain, AnApplicationIdentityAndATwain2Manager)
{
    manager.script({});
    ASSERT_TRUE(twain.OpenManager(&window));
    EXPECT_TRUE(twain.IsManagerOpen());
    const TW_IDENTITY &app = twain.AppIdentity();
    EXPECT_STREQ(app.ProductName, "Rared Udiv");
    EXPECT_STREQ(app.Manufacturer, "ZUZEV");
    EXPECT_STREQ(app.ProductFamily, "Generic");
    EXPECT_STREQ(app.Version.Info, "3.5");
    EXPECT_EQ(app.Version.MajorNum, 3);
    EXPECT_EQ(app.Version.MinorNum, 5);
    EXPECT_EQ(app.Version.Language, 13);
    EXPECT_NE(app.Id, 0u);
    EXPECT_EQ(app.SupportedGroups & (DF_APP2 | DF_DSM2 | 3u), DF_APP2 | DF_DSM2 | 3u);
    twain.CloseManager();
    EXPECT_FALSE(twain.ManagerLoaded());
}

TEST_F(Twain, FivePagesGiveFiveNumberedFilesInOrder)
{
    acquire({5});
    ASSERT_EQ(saved.size(), 5);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(saved[n], folder + QString("/Photo%1.JPG").arg(n, 4, 10, QChar('0')));
        expectColour(centre(saved[n]), 40 * n, 100, 200 - 30 * n);
    }
    EXPECT_TRUE(twain.IsManagerOpen());
    EXPECT_FALSE(twain.IsSourceEnabled());
    EXPECT_EQ(manager.countsAsked(), std::vector<int>({-1}));
    EXPECT_EQ(manager.outstanding(), 0);
}

TEST_F(Twain, TakenNumbersAreSkippedWithoutRegardToCase)
{
    tree.file("scans/photo0000.png", "x");
    tree.file("scans/PHOTO0001.PNG", "x");
    tree.file("scans/Photo0003.JPG", "x"); // another format takes no number
    tree.folder("scans/Photo0002.PNG");
    settings.format = 3;
    acquire({1});
    EXPECT_EQ(saved, QStringList({folder + "/Photo0003.PNG"}));
}

TEST_F(Twain, ACountRefusedWithCheckStatusIsReplacedByTheSourcesOwn)
{
    ZvTestScript script;
    script.pages = 2;
    script.checkStatusCount = 2;
    acquire(script);
    EXPECT_EQ(manager.countsAsked(), std::vector<int>({-1, 2}));
    EXPECT_EQ(twain.TransferCount(), 2);
    EXPECT_EQ(saved.size(), 2);
}

TEST_F(Twain, AClosedSourceLeavesTheManagerReadyForTheNextAcquisition)
{
    acquire({2});
    EXPECT_FALSE(twain.IsSourceOpen());
    EXPECT_TRUE(twain.IsManagerOpen());
    acquire({1});
    EXPECT_EQ(saved.last(), folder + "/Photo0002.JPG");
    EXPECT_EQ(manager.outstanding(), 0);
}

TEST_F(Twain, AFailedTransferResetsThePendingOnes)
{
    ZvTestScript script;
    script.pages = 4;
    script.failAt = 2;
    acquire(script);
    EXPECT_EQ(saved.size(), 2);
    EXPECT_FALSE(twain.IsSourceOpen());
}

TEST_F(Twain, AVanishingSourceEndsTheLoopAndClosesCleanly)
{
    ZvTestScript script;
    script.pages = 4;
    script.vanishAfter = 1;
    manager.script(script);
    ASSERT_TRUE(twain.OpenManager(&window));
    ASSERT_TRUE(twain.StartAcquisition(-1)); // opens the default source itself
    QTest::qWait(200);
    EXPECT_EQ(saved.size(), 1);
    EXPECT_NE(twain.ConditionCode(), TWCC_SUCCESS);
    twain.CloseManager();
    EXPECT_FALSE(twain.IsSourceOpen());
    EXPECT_EQ(manager.outstanding(), 0);
}

TEST_F(Twain, ADibInsteadOfATiffIsTakenAndAPaletteBecomesTrueColourForJpeg)
{
    ZvTestScript script;
    script.pages = 2;
    script.dib = 1;
    acquire(script);
    ASSERT_EQ(saved.size(), 2);
    ZvImage image;
    ASSERT_TRUE(image.Load(QFile::encodeName(saved[1]).constData(), 0));
    EXPECT_EQ(image.GetBpp(), 24u);
    expectColour(centre(saved[1]), 40, 100, 170);

    settings.format = 1; // BMP keeps the palette
    acquire(script);
    ASSERT_TRUE(image.Load(QFile::encodeName(saved.last()).constData(), 0));
    EXPECT_EQ(saved.last(), folder + "/Photo0001.BMP");
    EXPECT_EQ(image.GetBpp(), 8u);
}

TEST_F(Twain, AManagerWithoutCallbacksIsHeardThroughTheEventFilter)
{
    ZvTestScript script;
    script.pages = 3;
    script.noCallback = 1;
    acquire(script);
    EXPECT_EQ(saved.size(), 3);
    EXPECT_FALSE(twain.IsSourceOpen());
}

TEST_F(Twain, PromptingListsTheSourcesAndOpensTheOneChosen)
{
    ZvTestScript script;
    script.pages = 1;
    script.sources = 2;
    twain.pick = 1;
    acquire(script, -1, true);
    EXPECT_EQ(twain.offered, std::vector<std::string>({"Test Source 1", "Test Source 2"}));
    EXPECT_EQ(manager.opened(), 2);
    EXPECT_EQ(saved.size(), 1);

    twain.pick = -1; // the user cancels the choice
    EXPECT_FALSE(twain.ChooseSource());
}

TEST(TwainManager, NoLibraryMeansNoManager)
{
    AcquireSettings settings;
    QWidget window;
    CAcquireTwain twain(settings, [] { return QString(); }, nullptr, {"/nonexistent/libtwaindsm.so.2"});
    EXPECT_FALSE(twain.OpenManager(&window));
    EXPECT_FALSE(twain.ManagerLoaded());
    EXPECT_FALSE(twain.UseDefaultSource());
    EXPECT_FALSE(twain.StartAcquisition(-1));
    EXPECT_EQ(twain.ReturnCode(), TWRC_FAILURE);
}
