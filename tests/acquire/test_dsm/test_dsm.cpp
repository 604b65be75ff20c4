// tests/acquire/test_dsm/test_dsm.cpp
// A data source manager whose sources follow a script, for the protocol
// corners a real scanner does not produce on demand.
#include "tests/acquire/test_dsm/test_dsm.h"

#include "acquire/dsm/dsm_core.h"
#include "acquire/dsm/tiff_page.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

ZvTestScript sScript;
std::vector<int> sCountsAsked;
int sOpened = 0;
DsmCore *sCore = nullptr;

constexpr std::uint32_t kWidth = 64, kHeight = 48;

// Page n is one colour, so the saved files show their order.
void pageColour(int n, std::uint8_t &r, std::uint8_t &g, std::uint8_t &b)
{
    r = std::uint8_t(40 * n), g = 100, b = std::uint8_t(200 - 30 * n);
}

TW_HANDLE tiffPage(int n)
{
    TiffPageFormat format{kWidth, kHeight, 3, 8, 150};
    const std::size_t rows = std::size_t(TiffRowBytes(format) * kHeight);
    auto *block = static_cast<std::uint8_t *>(DsmAllocate(TW_UINT32(TiffHeaderBytes() + rows)));
    WriteTiffHeader(block, format);
    std::uint8_t r, g, b;
    pageColour(n, r, g, b);
    for (std::size_t i = 0; i < rows; i += 3)
        block[TiffHeaderBytes() + i] = r, block[TiffHeaderBytes() + i + 1] = g,
                                  block[TiffHeaderBytes() + i + 2] = b;
    return block;
}

TW_HANDLE dibPage(int n)
{
    const std::size_t rowBytes = (kWidth + 3) & ~3u;
    const std::size_t size = 40 + 256 * 4 + rowBytes * kHeight;
    auto *block = static_cast<std::uint8_t *>(DsmAllocate(TW_UINT32(size)));
    const std::int32_t head[] = {40, std::int32_t(kWidth), std::int32_t(kHeight)};
    std::memcpy(block, head, sizeof head);
    block[12] = 1, block[14] = 8;       // planes, bits per pixel
    block[24] = 0x13, block[25] = 0x0B; // 2835 pixels per metre: 72 dpi
    block[28] = 0x13, block[29] = 0x0B;
    std::uint8_t r, g, b;
    pageColour(n, r, g, b);
    std::uint8_t *palette = block + 40;
    palette[4] = b, palette[5] = g, palette[6] = r; // entry 1 is the page's colour
    std::memset(block + 40 + 1024, 1, rowBytes * kHeight);
    return block;
}

class ScriptedSource : public DsmSource
{
  public:
    explicit ScriptedSource(int number)
        : mNumber(number)
    {
    }

    std::string Name() const override { return "Test Source " + std::to_string(mNumber); }

    TW_UINT16 Open(TW_UINT16 &condition) override
    {
        sOpened = mNumber;
        return condition = TWCC_SUCCESS, TWRC_SUCCESS;
    }

    bool AcceptsCallback() const override { return !sScript.noCallback; }

    TW_UINT16 CheckTransferCount(int &count, TW_UINT16 &condition) override
    {
        sCountsAsked.push_back(count);
        if (sScript.checkStatusCount > 0 && count != sScript.checkStatusCount) {
            count = sScript.checkStatusCount;
            return condition = TWCC_BADVALUE, TWRC_CHECKSTATUS;
        }
        return condition = TWCC_SUCCESS, TWRC_SUCCESS;
    }

    TW_UINT16 Begin(int, TW_UINT16 &condition) override
    {
        mPage = 0;
        if (sScript.pages > 0)
            sCore->Announce(MSG_XFERREADY);
        return condition = TWCC_SUCCESS, TWRC_SUCCESS;
    }

    TW_UINT16 Info(TW_IMAGEINFO &info, TW_UINT16 &condition) override
    {
        if (gone())
            return condition = TWCC_BUMMER, TWRC_FAILURE;
        info = {};
        info.XResolution.Whole = info.YResolution.Whole = 150;
        info.ImageWidth = kWidth;
        info.ImageLength = kHeight;
        info.SamplesPerPixel = sScript.dib ? 1 : 3;
        info.BitsPerPixel = sScript.dib ? 8 : 24;
        info.PixelType = sScript.dib ? 3 : TWPT_RGB;
        return TWRC_SUCCESS;
    }

    TW_UINT16 Transfer(TW_HANDLE &handle, TW_UINT16 &condition) override
    {
        if (gone() || mPage == sScript.failAt) {
            ++mPage;
            return condition = TWCC_OPERATIONERROR, TWRC_FAILURE;
        }
        handle = sScript.dib ? dibPage(mPage) : tiffPage(mPage);
        ++mPage;
        return TWRC_XFERDONE;
    }

    More HasMore() override { return mPage < sScript.pages ? More::Ready : More::No; }

  private:
    bool gone() const { return sScript.vanishAfter >= 0 && mPage >= sScript.vanishAfter; }

    int mNumber;
    int mPage = 0;
};

std::vector<std::unique_ptr<DsmSource>> makeSources()
{
    std::vector<std::unique_ptr<DsmSource>> sources;
    for (int i = 1; i <= sScript.sources; ++i)
        sources.push_back(std::make_unique<ScriptedSource>(i));
    return sources;
}

DsmCore &core()
{
    static DsmCore instance(&makeSources);
    sCore = &instance;
    return instance;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY *origin, TW_IDENTITY *destination,
                                                           TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message,
                                                           TW_MEMREF data)
{
    return core().Entry(origin, destination, group, dat, message, data);
}

__attribute__((visibility("default"))) void zvTestDsmScript(const ZvTestScript *script)
{
    sScript = *script;
    sCountsAsked.clear();
    sOpened = 0;
}

__attribute__((visibility("default"))) long zvTestDsmOutstandingBlocks()
{
    return DsmOutstandingBlocks();
}

__attribute__((visibility("default"))) int zvTestDsmCountsAsked(int *out, int max)
{
    const int n = std::min(max, int(sCountsAsked.size()));
    for (int i = 0; i < n; ++i)
        out[i] = sCountsAsked[std::size_t(i)];
    return n;
}

__attribute__((visibility("default"))) int zvTestDsmOpenedSource()
{
    return sOpened;
}

} // extern "C"
