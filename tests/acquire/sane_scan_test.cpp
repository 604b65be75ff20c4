// tests/acquire/sane_scan_test.cpp
// Our manager over SANE with SANE's "test" backend as the only scanner:
// whole acquisitions from opening the manager to decoded files.
#include "acquire/acquire_settings.h"
#include "acquire/acquire_twain.h"
#include "imagelib/core/image.h"
#include "tests/acquire/acquire_test_support.h"

#include <QFile>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <dlfcn.h>

namespace {

// SANE reads its configuration folder once in each of its libraries and keeps
// a copy it frees nowhere. The run holds those libraries loaded, so the copy
// stays reachable and leak checking stays on our own allocations; the tests
// therefore share one configuration, written before the first manager opens.
bool prepareSane()
{
    static TempTree tree;
    static const bool ready = [] {
        const QString config = tree.folder("sane.d");
        std::ofstream(QFile::encodeName(config + "/dll.conf").toStdString()) << "test\n";
        ::setenv("SANE_CONFIG_DIR", QFile::encodeName(config).constData(), 1);
        return ::dlopen("libsane.so.1", RTLD_NOW | RTLD_NODELETE) &&
               ::dlopen(ZV_SANE_BACKEND, RTLD_NOW | RTLD_NODELETE);
    }();
    return ready;
}

class SaneScan : public ::testing::Test
{
  protected:
    TempTree tree;
    QString folder = tree.folder("scans");
    AcquireSettings settings{folder, 3, "Scan"};
    QStringList saved;
    QWidget window;
    CAcquireTwain twain{settings, [] { return QString(); }, [this](const QString &p) { saved << p; },
                        QStringList{ZV_SANE_DSM}};

    SaneScan() { EXPECT_TRUE(prepareSane()) << ::dlerror(); }

    void scan(int pages, int pixelType)
    {
        ASSERT_TRUE(twain.OpenManager(&window));
        ASSERT_TRUE(twain.IsManagerOpen());
        ASSERT_TRUE(twain.UseDefaultSource());
        ASSERT_TRUE(twain.OpenDataSource());
        EXPECT_TRUE(twain.SetCapValue(ICAP_PIXELTYPE, pixelType, false));
        TW_ONEVALUE dpi{TWTY_FIX32, 75}; // 75.0 dots per inch
        EXPECT_TRUE(twain.SetCapOneValue(ICAP_XRESOLUTION, dpi));
        ASSERT_TRUE(twain.StartAcquisition(pages));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !twain.IsSourceOpen(); }, 60000));
    }
};

} // namespace

TEST_F(SaneScan, FivePagesGiveFiveNumberedPictures)
{
    scan(5, TWPT_GRAY);
    ASSERT_EQ(saved.size(), 5);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(saved[n], folder + QString("/Scan%1.PNG").arg(n, 4, 10, QChar('0')));
        ZvImage page;
        ASSERT_TRUE(page.Load(QFile::encodeName(saved[n]).constData(), 0)) << page.GetLastError();
        // The test backend's whole area, 200 mm square, at 75 dpi.
        EXPECT_NEAR(int(page.GetWidth()), 590, 2);
        EXPECT_NEAR(int(page.GetHeight()), 590, 2);
        EXPECT_EQ(page.GetXDPI(), 75);
        EXPECT_EQ(page.GetBpp(), 8u);
        EXPECT_TRUE(page.IsGrayScale());
        EXPECT_EQ(page.GetPixelIndex(295, 295), 0); // the backend's page is solid black
    }
    EXPECT_TRUE(twain.IsManagerOpen());
    EXPECT_FALSE(twain.IsSourceOpen());
    EXPECT_STREQ(twain.SourceIdentity().ProductName, "Noname frontend-tester");
}

TEST_F(SaneScan, AColourPageAsJpeg)
{
    settings.format = 0;
    scan(1, TWPT_RGB);
    ASSERT_EQ(saved, QStringList({folder + "/Scan0000.JPG"}));
    ZvImage page;
    ASSERT_TRUE(page.Load(QFile::encodeName(saved[0]).constData(), 0)) << page.GetLastError();
    EXPECT_EQ(page.GetBpp(), 24u);
    EXPECT_GT(page.GetWidth(), 500u);
}
