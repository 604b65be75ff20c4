// tests/imagelib/decode_source_test.cpp
// The whole-file reader and the size gate of the codecs that decode from memory.
#include "imagelib/codecs/decode_source.h"
#include "imagelib/core/codec_error.h"
#include "tests/imagelib/codec_roundtrip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

// Free 100 pixels, then 10 per byte, at most a million.
constexpr ZvDecodeLimits kSmall{1000, 1000000, 100, 10};
// As the RAW codec: nothing free, 8 pixels per byte.
constexpr ZvDecodeLimits kNoneFree{1000, 1u << 27, 0, 8};

enum class Gate { Pass, Invalid, TooLarge };

struct GateCase
{
    const char *what;
    ZvDecodeLimits limits;
    std::uint64_t width, height;
    std::size_t fileBytes;
    Gate expect;
    const char *message; // for a refusal
};

Gate gateOf(const GateCase &c, std::string &message)
{
    try {
        zvCheckDecodeSize(c.width, c.height, c.limits, c.fileBytes);
        return Gate::Pass;
    } catch (const ZvCodecTooLarge &e) {
        message = e.what();
        return Gate::TooLarge;
    } catch (const ZvCodecError &e) {
        message = e.what();
        return Gate::Invalid;
    }
}

constexpr std::size_t kHuge = std::numeric_limits<std::size_t>::max();

const GateCase kGateCases[] = {
    {"FreePixelsPassWithoutBytes", kSmall, 10, 10, 0, Gate::Pass, ""},
    {"OnePixelBeyondTheFree", kSmall, 101, 1, 0, Gate::TooLarge,
     "Not enough image data for the picture size"},
    {"EachBytePaysForItsPixels", kSmall, 11, 10, 1, Gate::Pass, ""},
    {"OnePixelBeyondWhatTheBytesPay", kSmall, 111, 1, 1, Gate::TooLarge,
     "Not enough image data for the picture size"},
    {"NoWidth", kSmall, 0, 5, 100, Gate::Invalid, "Invalid picture size"},
    {"NoHeight", kSmall, 5, 0, 100, Gate::Invalid, "Invalid picture size"},
    {"TheDecodersLimitItself", kSmall, 1000, 1000, kHuge, Gate::Pass, ""},
    {"OneRowBeyondTheDecodersLimit", kSmall, 1000, 1001, kHuge, Gate::TooLarge,
     "Picture larger than the decoder's limit"},
    {"SideBeyond32Bits", kSmall, std::uint64_t(1) << 32, 1, kHuge, Gate::TooLarge,
     "Picture larger than the decoder's limit"},
    {"NothingFree", kNoneFree, 8, 1, 1, Gate::Pass, ""},
    {"NothingFreeOnePixelMore", kNoneFree, 9, 1, 1, Gate::TooLarge,
     "Not enough image data for the picture size"},
    {"MemoryLimitBelowTheDecoders",
     {1000, ~std::uint64_t(0), 0, 1},
     60000,
     60000,
     kHuge,
     Gate::TooLarge,
     "Picture larger than the memory limit"},
};

class DecodeGate : public ::testing::TestWithParam<GateCase>
{
};

// A stream whose reads fail after the first chunk of limit bytes, as a
// file on a failing disk.
class FailingMemFile : public ZvMemFile
{
  public:
    FailingMemFile(std::uint8_t *data, std::size_t size, std::size_t limit)
        : ZvMemFile(data, size)
        , mLimit(limit)
    {
    }
    std::size_t Read(void *buffer, std::size_t size, std::size_t count) override
    {
        if (mFailed)
            return 0;
        mFailed = true;
        return ZvMemFile::Read(buffer, size, std::min(count, mLimit));
    }
    long Error() override { return mFailed ? 1 : 0; }

  private:
    std::size_t mLimit;
    bool mFailed = false;
};

std::vector<std::uint8_t> counting(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = std::uint8_t(i * 7 + i / 256);
    return bytes;
}

std::string readError(ZvFile *file, std::size_t maxBytes)
{
    try {
        zvReadWholeStream(file, maxBytes);
    } catch (const ZvCodecTooLarge &e) {
        return std::string("too large: ") + e.what();
    } catch (const ZvCodecError &e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST_P(DecodeGate, RefusesWhatTheLimitsRefuse)
{
    const GateCase &c = GetParam();
    std::string message;
    EXPECT_EQ(gateOf(c, message), c.expect);
    EXPECT_EQ(message, c.message);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeGate, ::testing::ValuesIn(kGateCases),
                         [](const ::testing::TestParamInfo<GateCase> &info) { return info.param.what; });

TEST(DecodeGate, AllowanceIsTheFreePlusWhatTheBytesPayCappedAtTheLimit)
{
    EXPECT_EQ(zvDecodePixelAllowance(kSmall, 0), 100u);
    EXPECT_EQ(zvDecodePixelAllowance(kSmall, 7), 170u);
    EXPECT_EQ(zvDecodePixelAllowance(kSmall, 99990), 1000000u);
    EXPECT_EQ(zvDecodePixelAllowance(kSmall, kHuge), 1000000u); // no wrap-around
    EXPECT_EQ(zvDecodePixelAllowance({1, ~std::uint64_t(0), 5, 0}, 1000), 5u);
}

// From the stream's position to its end, whether the stream knows its size
// or not, and across more than one chunk of the reader.
TEST(WholeStream, ReadsFromThePositionToTheEnd)
{
    std::vector<std::uint8_t> bytes = counting(200000);
    const std::vector<std::uint8_t> rest(bytes.begin() + 3, bytes.end());
    ZvMemFile sized(bytes.data(), bytes.size());
    sized.Seek(3, SEEK_FROM_START);
    EXPECT_EQ(zvReadWholeStream(&sized, rest.size()), rest);
    EXPECT_EQ(sized.Tell(), std::int64_t(bytes.size()));

    UnsizedMemFile unsized(bytes.data(), bytes.size());
    unsized.Seek(3, SEEK_FROM_START);
    EXPECT_EQ(zvReadWholeStream(&unsized, rest.size()), rest);
}

TEST(WholeStream, RefusesMoreThanTheLimitEmptinessAndFailedReads)
{
    std::vector<std::uint8_t> bytes = counting(70000);
    ZvMemFile sized(bytes.data(), bytes.size());
    EXPECT_EQ(readError(&sized, bytes.size() - 1), "too large: File too large");
    EXPECT_EQ(sized.Tell(), 0); // refused before reading
    UnsizedMemFile unsized(bytes.data(), bytes.size());
    EXPECT_EQ(readError(&unsized, bytes.size() - 1), "too large: File too large");

    ZvMemFile empty(bytes.data(), 0);
    EXPECT_EQ(readError(&empty, 100), "Read Error");
    EXPECT_EQ(readError(nullptr, 100), "Read Error");

    // A read that fails part way is no shorter file.
    FailingMemFile failing(bytes.data(), bytes.size(), 1000);
    EXPECT_EQ(readError(&failing, bytes.size()), "Read Error");
}
