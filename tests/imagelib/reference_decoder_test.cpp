// tests/imagelib/reference_decoder_test.cpp
// The codecs over the formats' own libraries decode as those formats'
// reference decoders do: files made at test time by the reference encoder,
// lossless ones compared with the source, lossy ones with the reference
// decoder's pixels.
#include "imagelib/core/image_type.h"
#include "tests/imagelib/reference_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One encoder run: the command's options before the source and after it,
// and what our decode of the file says it holds.
struct Encoding
{
    const char *name; // of the file made, in the scratch folder
    const char *options;
    const char *outputFlag; // between the source and the output name
    bool alpha;             // the decoded picture has an alpha plane
    std::uint32_t loadedBpp;
};

struct ReferenceFormat
{
    const char *label;
    std::uint32_t type;
    std::vector<const char *> tools; // the test is skipped when one is missing
    const char *encoder;
    // The source: a marked pattern (with an alpha ramp when alpha) of odd
    // sides, so that a slip in stride, chroma subsampling or row order shows.
    int width, height;
    bool alpha;
    bool gradient;               // heif-enc keeps 10 bits of a 16-bit gradient rather than 8 of the pattern
    const Encoding *lossless;    // decodes to the source exactly; null when the format has none
    std::vector<Encoding> lossy; // decode within tolerance of the reference decoder
    Rgb8 (*reference)(const std::string &file);
    int tolerance;
    std::vector<const char *> names; // file names that ImageTypeFromName gives the type
};

Rgb8 heifReference(const std::string &file)
{
    return heifConvertRounded(heifConvertPng(file));
}

const Encoding kWebpLossless{"l.webp", "-quiet -lossless -exact", "-o", true, 24};
const Encoding kAvifLossless{"l.avif", "-l", "", true, 24};
const Encoding kJxlLossless{"l.jxl", "-d 0", "", true, 24};

// HEIF: exact, the library being the same; ten bits cut to eight would sit
// half a level below on average.
const ReferenceFormat kFormats[] = {
    {"WebP",
     ZV_TYPE_WEBP,
     {"cwebp"},
     "cwebp",
     37,
     23,
     true,
     false,
     &kWebpLossless,
     {{"q.webp", "-quiet -q 70", "-o", true, 24}, {"n.webp", "-quiet -q 70 -noalpha", "-o", false, 24}},
     dwebp,
     1,
     {"a.webp", "B.WEBP"}},
    {"Avif",
     ZV_TYPE_AVIF,
     {"avifenc"},
     "avifenc",
     33,
     21,
     true,
     false,
     &kAvifLossless,
     {{"q.avif", "-s 8 --min 20 --max 20", "", true, 24}},
     avifdec,
     1,
     {"a.avif", "b.avifs"}},
    {"Jxl",
     ZV_TYPE_JXL,
     {"cjxl"},
     "cjxl",
     35,
     19,
     true,
     false,
     &kJxlLossless,
     {{"q.jxl", "-d 2", "", true, 24}},
     djxl,
     1,
     {"a.jxl"}},
    {"Heif",
     ZV_TYPE_HEIF,
     {"heif-enc", "heif-convert", "convert"},
     "heif-enc",
     96,
     64,
     false,
     true,
     nullptr,
     {{"q.heic", "-q 90", "-o", false, 30}},
     heifReference,
     0,
     {"IMG_0001.HEIC", "a.hif", "b.heif"}},
};

class ReferenceDecoder : public ::testing::TestWithParam<ReferenceFormat>
{
  protected:
    std::string encode(const std::string &source, const Encoding &encoding) const
    {
        const std::string out = scratchDir() + "/" + GetParam().label + "-" + encoding.name;
        EXPECT_TRUE(run(std::string(GetParam().encoder) + " " + encoding.options + " " + shellQuoted(source) +
                        " " + encoding.outputFlag + " " + shellQuoted(out)))
            << encoding.name;
        return out;
    }
};

} // namespace

TEST_P(ReferenceDecoder, DecodesAsTheReferenceDecoder)
{
    const ReferenceFormat &f = GetParam();
    for (const char *tool : f.tools)
        ZV_REQUIRE_TOOL(tool);
    ZvImage source;
    const std::string label = f.label;
    const std::string png = f.gradient ? gradientPng(label + "-src.png", f.width, f.height)
                                       : sourcePng(label + "-src", f.width, f.height, f.alpha, &source);
    if (f.lossless) {
        const ZvImage lossless = decodedFile(encode(png, *f.lossless), f.type);
        EXPECT_EQ(toRgb(lossless), toRgb(source));
        EXPECT_EQ(alphaTopDown(lossless), alphaTopDown(source));
    }
    for (const Encoding &encoding : f.lossy) {
        const std::string file = encode(png, encoding);
        const ZvImage lossy = decodedFile(file, f.type);
        const Rgb8 reference = f.reference(file);
        ASSERT_EQ(reference.width, f.width) << encoding.name;
        ASSERT_EQ(reference.height, f.height) << encoding.name;
        EXPECT_LE(maxDifference(toRgb(lossy), reference), f.tolerance) << encoding.name;
        EXPECT_EQ(lossy.GetType(), f.type) << encoding.name;
        EXPECT_EQ(lossy.AlphaIsValid(), encoding.alpha) << encoding.name;
        EXPECT_EQ(lossy.GetOrignBpp(), encoding.loadedBpp) << encoding.name;
    }
    // Found by content, from bytes and from a file, and by name.
    const std::string first = scratchDir() + "/" + label + "-" + f.lossy.front().name;
    ZvImage sniffed;
    ASSERT_TRUE(decodeBytes(readFile(first), ZV_TYPE_UNKNOWN, sniffed)) << sniffed.GetLastError();
    EXPECT_EQ(sniffed.GetType(), f.type);
    ZvImage loaded;
    ASSERT_TRUE(loaded.Load(first.c_str(), ZV_TYPE_UNKNOWN)) << loaded.GetLastError();
    EXPECT_EQ(loaded.GetType(), f.type);
    for (const char *name : f.names)
        EXPECT_EQ(std::uint32_t(ImageTypeFromName(name)), f.type) << name;
}

INSTANTIATE_TEST_SUITE_P(Formats, ReferenceDecoder, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<ReferenceFormat> &info) {
                             return info.param.label;
                         });
