#include "imagelib/codecs/gif/codec_gif.h"
#include "imagelib/streams/mem_file.h"
#include "tests/imagelib/peak_memory.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"
#include "tests/support/short_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes toBytes(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

// Decodes with a codec object of our own, so the GIF-only state can be read.
bool decodeGif(const Bytes &data, ZvImageGIF &gif, int frame = 0)
{
    Bytes copy = data;
    ZvMemFile file(copy.data(), copy.size());
    gif.SetFrame(frame);
    return gif.Decode(&file);
}

Bytes encodeGif(ZvImage &picture, std::uint32_t option = 0, ZvImageGIF *settings = nullptr)
{
    ZvImageGIF gif;
    gif.Ghost(&picture);
    gif.SetCodecOption(option);
    if (settings) {
        gif.SetComment(settings->GetComment());
        gif.SetDisposalMethod(settings->GetDisposalMethod());
    }
    ZvMemFile file;
    file.Open();
    EXPECT_TRUE(gif.Encode(&file)) << gif.GetLastError();
    const std::uint8_t *p = file.GetBuffer(false);
    return Bytes(p, p + file.Size());
}

// The picture as top-down red, green, blue, alpha; indexed pictures show
// their background index as transparent.
Bytes toRgba(const ZvImage &image)
{
    Bytes out;
    const int w = int(image.GetWidth());
    const int h = int(image.GetHeight());
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const RGBQUAD c = image.GetPixelColor(x, y, false);
            std::uint8_t alpha = 255;
            if (image.IsIndexed())
                alpha = int(image.GetPixelIndex(x, y)) == image.GetTransIndex() ? 0 : 255;
            else if (image.AlphaIsValid())
                alpha = image.AlphaGet(x, y);
            out.insert(out.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue, alpha});
        }
    }
    return out;
}

// Transparent pixels match whatever colour they carry.
int rgbaMismatches(const Bytes &got, const Bytes &want)
{
    if (got.size() != want.size())
        return -1;
    int bad = 0;
    for (std::size_t i = 0; i < got.size(); i += 4) {
        if (want[i + 3] == 0 ? got[i + 3] != 0 : std::memcmp(&got[i], &want[i], 4) != 0)
            ++bad;
    }
    return bad;
}

std::map<std::string, std::string> readConf(const std::string &path, const std::string &section)
{
    std::map<std::string, std::string> values;
    std::istringstream in(readFile(path));
    std::string line, current;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            current = line.substr(1, line.find(']') - 1);
        } else if (current == section && line.find(" = ") != std::string::npos) {
            const std::size_t eq = line.find(" = ");
            values[line.substr(0, eq)] = line.substr(eq + 3);
        } else if (current == section && line.size() > 2 && line.substr(line.size() - 2) == " =") {
            values[line.substr(0, line.size() - 2)] = "";
        }
    }
    return values;
}

std::vector<std::string> split(const std::string &s)
{
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, ','))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

} // namespace

// Every file of the suite decodes to the frames it lists, frame by frame,
// and files that list no frame are refused.
TEST(GifSuite, DecodesEveryListedFrame)
{
    ZV_REQUIRE_CORPUS("gif-test-suite-ancell");
    const std::string dir = corporaDir() + "/gif-test-suite-ancell/";
    int files = 0;
    for (const std::string &conf : listFiles(dir, ".conf")) {
        auto config = readConf(conf, "config");
        const Bytes data = toBytes(readFile(dir + config["input"]));
        const std::vector<std::string> frames = split(config["frames"]);
        ZvImageGIF gif;
        const bool ok = decodeGif(data, gif);
        ++files;
        if (frames.empty()) {
            // Plain text is not drawn; the image after it is then all there is.
            if (config["input"] != "plain-text.gif") {
                EXPECT_FALSE(ok) << conf;
            }
            continue;
        }
        ASSERT_TRUE(ok) << conf << ": " << gif.GetLastError();
        EXPECT_EQ(gif.GetWidth(), std::uint32_t(std::stoi(config["width"]))) << conf;
        EXPECT_EQ(gif.GetHeight(), std::uint32_t(std::stoi(config["height"]))) << conf;
        // An opaque image over the whole screen starts a frame of its own
        // (that is what makes delay-less animations play); here the suite
        // wants both images as one frame, which is then our last frame.
        const int extra = config["input"] == "images-overlap.gif" ? 1 : 0;
        EXPECT_EQ(gif.GetNumFrames(), int(frames.size()) + extra) << conf;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            ZvImageGIF frame;
            ASSERT_TRUE(decodeGif(data, frame, int(f) + extra))
                << conf << " frame " << f << ": " << frame.GetLastError();
            const std::string pixels = readConf(conf, frames[f])["pixels"];
            EXPECT_EQ(rgbaMismatches(toRgba(frame), toBytes(readFile(dir + pixels))), 0)
                << conf << " frame " << f;
        }
    }
    EXPECT_GT(files, 80);
}

TEST(GifSuite, KeepsCommentAndLoopCount)
{
    ZV_REQUIRE_CORPUS("gif-test-suite-ancell");
    const std::string dir = corporaDir() + "/gif-test-suite-ancell/";
    ZvImageGIF gif;
    ASSERT_TRUE(decodeGif(toBytes(readFile(dir + "comment.gif")), gif));
    EXPECT_STREQ(gif.GetComment(), "Hello World!");
    ZvImageGIF large;
    ASSERT_TRUE(decodeGif(toBytes(readFile(dir + "large-comment.gif")), large));
    EXPECT_EQ(std::strlen(large.GetComment()), 255u);
    EXPECT_EQ(std::string(large.GetComment()).substr(0, 13), "Hello World! ");
    struct Case
    {
        const char *file;
        int loops;
    };
    for (const Case &c : {Case{"loop-once.gif", 1}, Case{"loop-max.gif", 65535}, Case{"loop-infinite.gif", 0},
                          Case{"loop-animexts.gif", 0}}) {
        ZvImageGIF looped;
        looped.SetLoops(-7);
        ASSERT_TRUE(decodeGif(toBytes(readFile(dir + c.file)), looped)) << c.file;
        EXPECT_EQ(looped.GetLoops(), c.loops) << c.file;
    }
}

// The reference renderings of another decoder's test set: the first frame.
TEST(GifImageRs, MatchesReferenceRenderings)
{
    ZV_REQUIRE_CORPUS("image-rs-tests");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick is needed to read the reference PNGs";
    const std::string root = corporaDir() + "/image-rs-tests/";
    int compared = 0;
    for (const std::string &path : listFiles(root + "images/gif", ".gif", true)) {
        const std::string reference = root + "reference/" + path.substr(root.size() + 7) + ".png";
        if (readFile(reference).empty())
            continue;
        ZvImageGIF gif;
        ASSERT_TRUE(decodeGif(toBytes(readFile(path)), gif)) << path << ": " << gif.GetLastError();
        std::string want;
        ASSERT_EQ(runCommand("convert '" + reference + "' -depth 8 rgba:- 2>/dev/null", &want), 0);
        EXPECT_EQ(rgbaMismatches(toRgba(gif), toBytes(want)), 0) << path;
        ++compared;
    }
    EXPECT_GE(compared, 8);
    ZvImageGIF junk;
    decodeGif(toBytes(readFile(root + "regression/gif/zero-loop-count.gif")), junk);
}

namespace {

// The blocks of a GIF file as a test reads them back.
struct ParsedImage
{
    Bytes control; // the graphic control extension before it, or empty
    int left = 0, top = 0, width = 0, height = 0, packed = 0;
    Bytes table;
    int minCodeSize = 0;
    Bytes data; // the data sub-blocks joined
};

struct ParsedGif
{
    std::string signature;
    int width = 0, height = 0, packed = 0;
    Bytes global;
    std::vector<std::string> comments;
    std::vector<ParsedImage> images;
    bool trailer = false;
};

int word(const Bytes &b, std::size_t at)
{
    return b.at(at) | (b.at(at + 1) << 8);
}

Bytes subBlocks(const Bytes &b, std::size_t &at)
{
    Bytes joined;
    while (b.at(at) != 0) {
        const std::size_t n = b.at(at);
        EXPECT_LE(n, 255u);
        joined.insert(joined.end(), b.begin() + long(at + 1), b.begin() + long(at + 1 + n));
        at += 1 + n;
    }
    ++at;
    return joined;
}

ParsedGif parseGif(const Bytes &b)
{
    ParsedGif gif;
    gif.signature.assign(b.begin(), b.begin() + 6);
    gif.width = word(b, 6);
    gif.height = word(b, 8);
    gif.packed = b.at(10);
    std::size_t at = 13;
    if (gif.packed & 0x80) {
        const std::size_t n = std::size_t(3) << ((gif.packed & 7) + 1);
        gif.global.assign(b.begin() + long(at), b.begin() + long(at + n));
        at += n;
    }
    Bytes control;
    while (at < b.size()) {
        const int block = b.at(at++);
        if (block == 0x3B) {
            gif.trailer = at == b.size();
            break;
        }
        if (block == 0x21) {
            const int label = b.at(at++);
            const Bytes body = subBlocks(b, at);
            if (label == 0xF9)
                control = body;
            else if (label == 0xFE)
                gif.comments.emplace_back(body.begin(), body.end());
            continue;
        }
        EXPECT_EQ(block, 0x2C);
        ParsedImage image;
        image.control = control;
        control.clear();
        image.left = word(b, at);
        image.top = word(b, at + 2);
        image.width = word(b, at + 4);
        image.height = word(b, at + 6);
        image.packed = b.at(at + 8);
        at += 9;
        if (image.packed & 0x80) {
            const std::size_t n = std::size_t(3) << ((image.packed & 7) + 1);
            image.table.assign(b.begin() + long(at), b.begin() + long(at + n));
            at += n;
        }
        image.minCodeSize = b.at(at++);
        image.data = subBlocks(b, at);
        gif.images.push_back(image);
    }
    return gif;
}

// The codes of an image's data, read with the widths any decoder uses.
std::vector<int> codesOf(const ParsedImage &image)
{
    std::vector<int> codes;
    const int clear = 1 << image.minCodeSize;
    int width = image.minCodeSize + 1, next = clear + 2;
    bool first = true;
    std::uint32_t accum = 0;
    int bits = 0;
    std::size_t at = 0;
    for (;;) {
        while (bits < width && at < image.data.size()) {
            accum |= std::uint32_t(image.data[at++]) << bits;
            bits += 8;
        }
        if (bits < width)
            return codes;
        const int code = int(accum & ((1u << width) - 1));
        accum >>= width;
        bits -= width;
        codes.push_back(code);
        if (code == clear + 1)
            return codes;
        if (code == clear) {
            width = image.minCodeSize + 1;
            next = clear + 2;
            first = true;
        } else if (first) {
            first = false;
        } else if (next < 4096 && ++next == (1 << width) && width < 12) {
            ++width;
        }
    }
}

std::string scratchFile(const std::string &name, const Bytes &data)
{
    const std::string path = scratchDir() + "/" + name;
    writeFile(path, std::string(data.begin(), data.end()));
    return path;
}

// ImageMagick's reading, all layers flattened onto the logical screen.
Rgb8 magickFlatten(const std::string &path)
{
    std::string out;
    if (runCommand("convert '" + path + "' -background black -layers flatten -depth 8 ppm:- 2>/dev/null",
                   &out) != 0)
        return Rgb8();
    return parsePpm(out);
}

ZvImage makeIndexed(int width, int height, int bpp, const std::vector<int> &values)
{
    ZvImage image{std::uint32_t(width), std::uint32_t(height), std::uint32_t(bpp)};
    for (std::uint32_t i = 0; i < image.GetNumColors(); ++i)
        image.SetPaletteColor(
            std::uint8_t(i), RGBQUAD{std::uint8_t(i * 3), std::uint8_t(i * 5 + 1), std::uint8_t(255 - i), 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixelIndex(x, height - 1 - y, std::uint8_t(values[std::size_t(y * width + x)]));
    return image;
}

} // namespace

TEST(GifEncode, IndexedHeaderControlCommentAndDescriptorBytes)
{
    ZvImage picture = makePatternIndexed(3, 2, 8);
    picture.SetTransIndex(5);
    picture.SetFrameDelay(0x11234);
    picture.SetOffset(7, 9);
    ZvImageGIF settings;
    settings.SetDisposalMethod(2);
    settings.SetComment("hi");
    const Bytes gif = encodeGif(picture, 0, &settings);

    const Bytes head = {'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0xE7, 0, 0};
    ASSERT_GT(gif.size(), 13u + 768u + 30u);
    EXPECT_EQ(Bytes(gif.begin(), gif.begin() + 13), head);
    const RGBQUAD c = picture.GetPaletteColor(200);
    EXPECT_EQ(Bytes(gif.begin() + 13 + 600, gif.begin() + 13 + 603),
              (Bytes{c.rgbRed, c.rgbGreen, c.rgbBlue}));
    const Bytes rest = {0x21, 0xF9, 4, 0x09, 0x34, 0x12, 5, 0, 0x21, 0xFE, 2, 'h', 'i',
                        0,    0x2C, 7, 0,    9,    0,    3, 0, 2,    0,    0, 8};
    EXPECT_EQ(Bytes(gif.begin() + 13 + 768, gif.begin() + 13 + 768 + long(rest.size())), rest);
    EXPECT_EQ(gif.back(), 0x3B);
    EXPECT_TRUE(parseGif(gif).trailer);
}

TEST(GifEncode, LowBitCountsKeepTheirTableAndCodeSize)
{
    struct Case
    {
        int bpp, packed, tableBytes, minCodeSize;
    };
    for (const Case &c : {Case{4, 0xE3, 48, 4}, Case{1, 0x80, 6, 2}, Case{8, 0xE7, 768, 8}}) {
        ZvImage picture = makePatternIndexed(21, 5, c.bpp);
        const ParsedGif gif = parseGif(encodeGif(picture));
        EXPECT_EQ(gif.packed, c.packed) << c.bpp;
        EXPECT_EQ(int(gif.global.size()), c.tableBytes) << c.bpp;
        ASSERT_EQ(gif.images.size(), 1u);
        EXPECT_EQ(gif.images[0].minCodeSize, c.minCodeSize) << c.bpp;
        EXPECT_EQ(gif.images[0].control, (Bytes{0, 0, 0, 0xFF})) << c.bpp;
        EXPECT_TRUE(gif.comments.empty());

        ZvImageGIF back;
        ASSERT_TRUE(decodeGif(encodeGif(picture), back)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), std::uint32_t(c.bpp));
        EXPECT_EQ(toRgb(back), toRgb(picture)) << c.bpp;
    }
}

// The run-length coder's choices, code by code: runs after a clear build
// p, pp, ppp; a later run of the same value reuses the longest; a run of
// another value is repeated or restarts the table, whichever is shorter.
TEST(GifEncode, RunLengthCoderCodeArithmetic)
{
    struct Case
    {
        std::vector<int> pixels;
        std::vector<int> codes;
    };
    const std::vector<Case> cases = {
        {{5, 5, 5, 5}, {256, 5, 258, 5, 257}},
        {{5, 5, 5, 5, 7, 5, 5, 5, 5, 5, 5}, {256, 5, 258, 5, 7, 259, 259, 257}},
        {{5, 5, 5, 5, 7, 7, 7}, {256, 5, 258, 5, 7, 7, 7, 257}},
        {{5, 5, 5, 5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}, {256, 5, 258, 5, 256, 7, 258, 259, 260, 257}},
    };
    for (const Case &c : cases) {
        ZvImage picture = makeIndexed(int(c.pixels.size()), 1, 8, c.pixels);
        const ParsedGif gif = parseGif(encodeGif(picture));
        ASSERT_EQ(gif.images.size(), 1u);
        EXPECT_EQ(codesOf(gif.images[0]), c.codes) << c.pixels.size();
    }
}

// Without runs every pixel is a literal, and a clear comes before the
// decoder's table would need a wider code: after 254 codes for 8 bits,
// after 9 (the width growing after 3) for 1 bit.
TEST(GifEncode, RunLengthCoderClearsBeforeTheTableGrows)
{
    std::vector<int> alternating(600);
    for (std::size_t i = 0; i < alternating.size(); ++i)
        alternating[i] = int(i % 2);
    const std::vector<int> codes8 = codesOf(
        parseGif(encodeGif(*std::make_unique<ZvImage>(makeIndexed(600, 1, 8, alternating)))).images.at(0));
    ASSERT_EQ(codes8.size(), 1u + 254 + 1 + 254 + 1 + 92 + 1);
    EXPECT_EQ(codes8[255], 256);
    EXPECT_EQ(codes8[510], 256);
    EXPECT_EQ(codes8.back(), 257);

    ZvImage bits = makeIndexed(20, 1, 1, std::vector<int>(alternating.begin(), alternating.begin() + 20));
    const std::vector<int> codes1 = codesOf(parseGif(encodeGif(bits)).images.at(0));
    const std::vector<int> want = {4, 0, 1, 0, 1, 0, 1, 0, 1, 0, 4, 1, 0, 1, 0, 1, 0, 1, 0, 1, 4, 0, 1, 5};
    EXPECT_EQ(codes1, want);
}

namespace {

std::uint32_t nextRandom(std::uint32_t &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Pictures that drive each coder through its corners: long and short runs
// (with runs far longer than one table's worth of codes), noise that fills
// the LZW table past 4095 codes again and again, and low bit counts.
std::vector<std::pair<std::string, ZvImage>> coderPictures()
{
    std::vector<std::pair<std::string, ZvImage>> pictures;
    std::uint32_t seed = 12345;
    std::vector<int> runs(400 * 300);
    for (std::size_t i = 0; i < runs.size();) {
        const int value = int(nextRandom(seed) % 7);
        std::size_t length = 1 + nextRandom(seed) % (i < 60000 ? 40 : 3000);
        for (; length > 0 && i < runs.size(); --length)
            runs[i++] = value;
    }
    pictures.emplace_back("runs", makeIndexed(400, 300, 8, runs));
    pictures.emplace_back("flat", makeIndexed(1000, 1000, 8, std::vector<int>(1000000, 3)));
    std::vector<int> noise(257 * 201);
    for (int &v : noise)
        v = int(nextRandom(seed) % 256);
    pictures.emplace_back("noise", makeIndexed(257, 201, 8, noise));
    std::vector<int> nibbles(123 * 77);
    for (std::size_t i = 0; i < nibbles.size(); ++i)
        nibbles[i] = int((i / 5 + nextRandom(seed) % 2) % 16);
    pictures.emplace_back("4-bit", makeIndexed(123, 77, 4, nibbles));
    std::vector<int> bits(333 * 65);
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = int((i / 9 + (nextRandom(seed) % 13 == 0)) % 2);
    pictures.emplace_back("1-bit", makeIndexed(333, 65, 1, bits));
    return pictures;
}

} // namespace

TEST(GifEncode, EveryCoderDecodesExactlyHereAndInImageMagick)
{
    const bool magick = haveImageMagick();
    for (auto &[name, picture] : coderPictures()) {
        for (std::uint32_t option : {0u, 1u, 2u}) {
            const Bytes gif = encodeGif(picture, option);
            ZvImageGIF back;
            ASSERT_TRUE(decodeGif(gif, back)) << name << " option " << option << ": " << back.GetLastError();
            EXPECT_EQ(toRgb(back), toRgb(picture)) << name << " option " << option;
            if (magick) {
                const std::string path = scratchFile(name + std::to_string(option) + ".gif", gif);
                EXPECT_EQ(maxDifference(magickDecode(path), toRgb(picture)), 0)
                    << name << " option " << option;
            }
        }
    }
    if (!magick)
        GTEST_SKIP() << "ImageMagick not found: decoded by ours only";
}

// The noise picture needs more than 4095 codes: LZW must clear its table
// and the literal coder must clear before the decoder's table overflows.
TEST(GifEncode, LongStreamsClearTheTable)
{
    auto pictures = coderPictures();
    ZvImage &noise = pictures[2].second;
    for (std::uint32_t option : {1u, 2u}) {
        const std::vector<int> codes = codesOf(parseGif(encodeGif(noise, option)).images.at(0));
        EXPECT_GT(codes.size(), 4096u);
        EXPECT_GT(std::count(codes.begin() + 1, codes.end(), 256), 4) << option;
        // Both clear exactly when entry 4095 has been made: 3839 codes on.
        const auto second = std::find(codes.begin() + 1, codes.end(), 256);
        EXPECT_EQ(second - codes.begin(), 3840) << option;
    }
}

// One run longer than a whole table of growing run codes can hold (4089
// codes for 1 bit: 8362005 pixels) makes the run-length coder clear in the
// middle of the run; after that clear the threshold is back at its initial
// 9 codes, so the remaining 47995 pixels go in 1066 steps of 1 + ... + 9
// and a last 1 + ... + 6 + 4.
TEST(GifEncode, RunLengthCoderClearsInsideAVeryLongRun)
{
    ZvImage flat{2900, 2900, 1};
    flat.SetPaletteColor(1, RGBQUAD{10, 20, 30, 0});
    std::memset(flat.GetBits(0), 0xFF, flat.GetHeader().biSizeImage);
    const Bytes gif = encodeGif(flat);
    const std::vector<int> codes = codesOf(parseGif(gif).images.at(0));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 4), 1 + 1 + 1066);
    EXPECT_EQ(codes.size(), 1u + 4089 + 1 + 1066 * 10 + 7 + 1);
    EXPECT_EQ(codes[4089], 6 + 4089 - 2);
    ZvImageGIF back;
    ASSERT_TRUE(decodeGif(gif, back));
    EXPECT_EQ(toRgb(back), toRgb(flat));
    if (haveImageMagick()) {
        EXPECT_EQ(maxDifference(magickDecode(scratchFile("flat.gif", gif)), toRgb(flat)), 0);
    }
}

TEST(GifEncode, TrueColourBecomesTilesWithExactLocalTables)
{
    ZvImage picture = makePattern24(40, 32);
    picture.SetPixelColor(3, 31, RGBQUAD{1, 2, 3, 0}); // top-left, twice in the first tile
    picture.SetPixelColor(5, 30, RGBQUAD{1, 2, 3, 0});
    const ParsedGif gif = parseGif(encodeGif(picture, 1));
    EXPECT_EQ(gif.packed, 0x11);
    EXPECT_TRUE(gif.global.empty());
    struct Tile
    {
        int left, top, width, height;
    };
    std::vector<Tile> want;
    for (int top : {0, 2, 17})
        for (int left : {0, 17, 34})
            want.push_back({left, top, left == 34 ? 6 : 17, top == 0 ? 2 : 15});
    ASSERT_EQ(gif.images.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const ParsedImage &tile = gif.images[i];
        EXPECT_EQ(tile.left, want[i].left) << i;
        EXPECT_EQ(tile.top, want[i].top) << i;
        EXPECT_EQ(tile.width, want[i].width) << i;
        EXPECT_EQ(tile.height, want[i].height) << i;
        EXPECT_EQ(tile.packed, 0x87);
        EXPECT_EQ(tile.table.size(), 768u);
        EXPECT_EQ(tile.minCodeSize, 8);
        EXPECT_EQ(tile.control, (Bytes{0, 0, 0, 0}));
        // Entry row-from-the-tile's-bottom x 17 + column + 1 holds each pixel.
        const int bottom = 32 - tile.top - tile.height;
        for (int r = 0; r < tile.height; ++r) {
            for (int c = 0; c < tile.width; ++c) {
                const RGBQUAD px = picture.GetPixelColor(tile.left + c, bottom + r);
                const std::size_t e = std::size_t(3 * (r * 17 + c + 1));
                ASSERT_EQ(Bytes(tile.table.begin() + long(e), tile.table.begin() + long(e) + 3),
                          (Bytes{px.rgbRed, px.rgbGreen, px.rgbBlue}));
            }
        }
    }
    // Literal codes show the pixels: both pixels of the repeated colour
    // point at the lower entry (bottom row of the tile, column 5: 0 x 17 + 5 + 1).
    const std::vector<int> first = codesOf(gif.images[0]);
    ASSERT_EQ(first.size(), 2u + 34u);
    EXPECT_EQ(first[1 + 3], 6);
    EXPECT_EQ(first[1 + 17 + 5], 6);
    EXPECT_EQ(first[1 + 17 + 6], 7);

    ZvImageGIF back;
    ASSERT_TRUE(decodeGif(encodeGif(picture), back)) << back.GetLastError();
    EXPECT_EQ(back.GetBpp(), 24u);
    EXPECT_FALSE(back.AlphaIsValid());
    EXPECT_EQ(toRgb(back), toRgb(picture));
    if (haveImageMagick()) {
        for (std::uint32_t option : {0u, 1u, 2u}) {
            const std::string path =
                scratchFile("tiles" + std::to_string(option) + ".gif", encodeGif(picture, option));
            EXPECT_EQ(maxDifference(magickFlatten(path), toRgb(picture)), 0) << option;
        }
    }
}

// A delay or a disposal on every tile would play the picture tile by tile
// or erase it as it is drawn: only the last tile carries them.
TEST(GifEncode, TrueColourTimingGoesOnTheLastTileOnly)
{
    ZvImage picture = makePattern24(40, 20);
    picture.SetFrameDelay(70);
    ZvImageGIF settings;
    settings.SetDisposalMethod(2);
    const Bytes data = encodeGif(picture, 0, &settings);
    const ParsedGif gif = parseGif(data);
    ASSERT_EQ(gif.images.size(), 6u);
    for (std::size_t i = 0; i + 1 < gif.images.size(); ++i)
        EXPECT_EQ(gif.images[i].control, (Bytes{0, 0, 0, 0})) << i;
    EXPECT_EQ(gif.images.back().control, (Bytes{2 << 2, 70, 0, 0}));
    ZvImageGIF back;
    ASSERT_TRUE(decodeGif(data, back));
    EXPECT_EQ(back.GetNumFrames(), 1);
    EXPECT_EQ(back.GetFrameDelay(), 70u);
    EXPECT_EQ(toRgb(back), toRgb(picture));
}

// Entry 0 of every tile holds the transparent colour, so pixels of that
// colour come back transparent whatever index the picture names.
TEST(GifEncode, TrueColourTransparencyUsesEntryZero)
{
    ZvImage picture = makePattern24(20, 4);
    const RGBQUAD key{9, 8, 7, 0};
    picture.SetPixelColor(18, 2, key);
    picture.SetTransIndex(5);
    picture.SetTransColor(key);
    const ParsedGif gif = parseGif(encodeGif(picture));
    ASSERT_EQ(gif.images.size(), 2u);
    EXPECT_EQ(gif.images[1].control, (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(Bytes(gif.images[1].table.begin(), gif.images[1].table.begin() + 3), (Bytes{7, 8, 9}));

    ZvImageGIF back;
    ASSERT_TRUE(decodeGif(encodeGif(picture), back));
    ASSERT_TRUE(back.AlphaIsValid());
    EXPECT_EQ(back.AlphaGet(18, 2), 0);
    EXPECT_EQ(back.AlphaGet(17, 2), 255);
    EXPECT_EQ(back.GetPixelColor(17, 2, false).rgbRed, picture.GetPixelColor(17, 2).rgbRed);
}

namespace {

// Packs codes as a GIF encoder would, widths following the decoder's table.
Bytes packCodes(int minCodeSize, const std::vector<int> &codes)
{
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1, next = clear + 2;
    bool first = true;
    std::uint32_t accum = 0;
    int bits = 0;
    Bytes data;
    for (int code : codes) {
        accum |= std::uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            data.push_back(std::uint8_t(accum));
            accum >>= 8;
            bits -= 8;
        }
        if (code == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            first = true;
        } else if (first) {
            first = false;
        } else if (next < 4096 && ++next == (1 << width) && width < 12) {
            ++width;
        }
    }
    if (bits > 0)
        data.push_back(std::uint8_t(accum));
    return data;
}

struct TestImage
{
    int left = 0, top = 0, width = 1, height = 1;
    int tableEntries = 0; // local table of grey entries when non-zero
    int transparent = -1;
    int delay = 0;
    int minCodeSize = 2;
    std::vector<int> codes;
};

void put16(Bytes &b, int v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

void putTable(Bytes &b, int entries, int step)
{
    for (int i = 0; i < entries; ++i)
        b.insert(b.end(), {std::uint8_t(i * step), std::uint8_t(255 - i * step), std::uint8_t(i)});
}

int tableBits(int entries)
{
    int bits = 0;
    while ((2 << bits) < entries)
        ++bits;
    return bits;
}

// A GIF built byte by byte: global table of `globalEntries` colours.
Bytes buildGif(int width, int height, int globalEntries, const std::vector<TestImage> &images)
{
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    put16(b, width);
    put16(b, height);
    b.insert(b.end(), {std::uint8_t(globalEntries ? 0x80 | tableBits(globalEntries) : 0), 0, 0});
    putTable(b, globalEntries, 1);
    for (const TestImage &image : images) {
        if (image.transparent >= 0 || image.delay > 0) {
            b.insert(b.end(), {0x21, 0xF9, 4, std::uint8_t(image.transparent >= 0 ? 1 : 0)});
            put16(b, image.delay);
            b.insert(b.end(), {std::uint8_t(std::max(image.transparent, 0)), 0});
        }
        b.push_back(0x2C);
        for (int v : {image.left, image.top, image.width, image.height})
            put16(b, v);
        b.push_back(std::uint8_t(image.tableEntries ? 0x80 | tableBits(image.tableEntries) : 0));
        putTable(b, image.tableEntries, 3);
        b.push_back(std::uint8_t(image.minCodeSize));
        const Bytes data = packCodes(image.minCodeSize, image.codes);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - at);
            b.push_back(std::uint8_t(n));
            b.insert(b.end(), data.begin() + long(at), data.begin() + long(at + n));
        }
        b.push_back(0);
    }
    b.push_back(0x3B);
    return b;
}

TestImage solid(int width, int height, int value, int minCodeSize = 2)
{
    TestImage image;
    image.width = width;
    image.height = height;
    image.minCodeSize = minCodeSize;
    image.codes.push_back(1 << minCodeSize);
    image.codes.insert(image.codes.end(), std::size_t(width * height), value);
    image.codes.push_back((1 << minCodeSize) + 1);
    return image;
}

std::string decodeError(const Bytes &data)
{
    ZvImageGIF gif;
    EXPECT_FALSE(decodeGif(data, gif));
    return gif.GetLastError();
}

} // namespace

TEST(GifDecode, HeaderOnlyQueryGivesTheSizeWithoutPixels)
{
    ZvImageGIF gif;
    gif.SetEscape(-1);
    ASSERT_TRUE(decodeGif(buildGif(300, 200, 16, {solid(300, 200, 1)}), gif));
    EXPECT_FALSE(gif.IsValid());
    EXPECT_EQ(gif.GetWidth(), 300u);
    EXPECT_EQ(gif.GetHeight(), 200u);
    EXPECT_EQ(gif.GetBpp(), 4u);
}

TEST(GifDecode, RefusalsCarryTheirReason)
{
    EXPECT_STREQ(decodeError(toBytes("GIF89b\x01\x00\x01\x00\x00\x00\x00;")).c_str(), "Not a GIF");
    EXPECT_EQ(decodeError(buildGif(20000, 20000, 2, {})), "GIF: picture too large");
    EXPECT_EQ(decodeError(buildGif(0, 5, 2, {})), "GIF: empty logical screen");
    TestImage wide = solid(2, 1, 1);
    wide.minCodeSize = 12;
    EXPECT_EQ(decodeError(buildGif(2, 1, 2, {wide})), "GIF: bad LZW code size");
    TestImage ahead = solid(2, 1, 1);
    ahead.codes = {4, 1, 7, 5}; // 7 is two entries past the table
    EXPECT_EQ(decodeError(buildGif(2, 1, 2, {ahead})), "GIF: corrupted image data");
    EXPECT_EQ(decodeError(buildGif(2, 1, 2, {solid(2, 1, 3)})), "GIF: corrupted image data");
    EXPECT_EQ(decodeError(buildGif(2, 1, 0, {solid(2, 1, 0)})), "GIF: image without colour table");
    // On a screen of 8224 x 8224 the same refusals come before its 67 MB are reserved.
    for (const TestImage &bad : {wide, ahead}) {
        const Bytes big = buildGif(8224, 8224, 2, {bad});
        EXPECT_LT(peakGrowthKb([&] { decodeError(big); }), 16 * 1024);
        EXPECT_NE(decodeError(big), "");
    }

    ZvImageGIF frames;
    EXPECT_FALSE(decodeGif(buildGif(2, 1, 2, {solid(2, 1, 1)}), frames, 1));
    EXPECT_STREQ(frames.GetLastError(), "GIF: frame not present");
    EXPECT_EQ(frames.GetNumFrames(), 1);
    ZvImageGIF cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeGif(buildGif(2, 1, 2, {solid(2, 1, 1)}), cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

// What no image drew needs an index of its own: the shared transparent
// index, else an entry after the table (which may widen the bit count),
// else, with a full table, 24 bits and alpha.
TEST(GifDecode, UndrawnPixelsGetAnIndexOrAlpha)
{
    struct Case
    {
        int globalEntries;
        TestImage image;
        std::uint32_t bpp;
        int transIndex;
        bool cornerUndrawn;
    };
    TestImage corner = solid(1, 1, 1);
    corner.left = 1;
    TestImage keyed = solid(2, 2, 1);
    keyed.transparent = 0;
    TestImage corner8 = solid(1, 1, 1, 8);
    corner8.left = 1;
    const std::vector<Case> cases = {
        {2, solid(2, 2, 1), 1, -1, false}, {2, corner, 4, 2, true}, {2, keyed, 1, 0, false},
        {16, corner, 8, 16, true},         {4, corner, 4, 4, true}, {256, solid(2, 2, 1, 8), 8, -1, false},
        {256, corner8, 24, -1, true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        ZvImageGIF gif;
        ASSERT_TRUE(decodeGif(buildGif(2, 2, c.globalEntries, {c.image}), gif)) << i << gif.GetLastError();
        EXPECT_EQ(gif.GetBpp(), c.bpp) << i;
        EXPECT_EQ(gif.GetTransIndex(), c.transIndex) << i;
        const Bytes rgba = toRgba(gif);
        EXPECT_EQ(rgba[3], c.cornerUndrawn ? 0 : 255) << i;
        EXPECT_EQ(std::vector<std::uint8_t>(rgba.begin() + 4, rgba.begin() + 8), (Bytes{1, 254, 1, 255}))
            << i;
    }
}

TEST(GifDecode, DifferentColourTablesComposeInTrueColour)
{
    TestImage left = solid(1, 2, 2);
    left.tableEntries = 4;
    TestImage right = solid(1, 2, 2);
    right.left = 1;
    ZvImageGIF gif;
    ASSERT_TRUE(decodeGif(buildGif(2, 2, 4, {left, right}), gif)) << gif.GetLastError();
    EXPECT_EQ(gif.GetNumFrames(), 1);
    EXPECT_EQ(gif.GetBpp(), 24u);
    EXPECT_FALSE(gif.AlphaIsValid());
    EXPECT_EQ(toRgba(gif), (Bytes{6, 249, 2, 255, 2, 253, 2, 255, 6, 249, 2, 255, 2, 253, 2, 255}));
}

TEST(GifDecode, KeepsDelayAndDisposalOfTheChosenFrame)
{
    ZV_REQUIRE_CORPUS("gif-test-suite-ancell");
    const Bytes data =
        toBytes(readFile(corporaDir() + "/gif-test-suite-ancell/dispose-restore-background.gif"));
    ZvImageGIF gif;
    ASSERT_TRUE(decodeGif(data, gif, 2));
    EXPECT_EQ(gif.GetFrameDelay(), 50u);
    EXPECT_EQ(gif.GetDisposalMethod(), 2);
    EXPECT_EQ(gif.GetNumFrames(), 4);
}

// Every cut of a valid file, and files with bytes flipped, decode or fail
// cleanly; a cut inside the pixel data leaves the rest undrawn.
TEST(GifDecode, DamagedFilesFailCleanly)
{
    ZvImage picture = makePatternIndexed(37, 23, 8);
    for (std::uint32_t option : {0u, 2u}) {
        const Bytes whole = encodeGif(picture, option);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            ZvImageGIF gif;
            if (decodeGif(Bytes(whole.begin(), whole.begin() + long(n)), gif)) {
                EXPECT_EQ(gif.GetWidth(), 37u);
                EXPECT_LE(n, whole.size());
            }
        }
        std::uint32_t seed = 99;
        for (int round = 0; round < 300; ++round) {
            Bytes damaged = whole;
            for (int k = 0; k < 4; ++k)
                damaged[nextRandom(seed) % damaged.size()] ^= std::uint8_t(1 + nextRandom(seed) % 255);
            ZvImageGIF gif;
            decodeGif(damaged, gif);
        }
    }
    ZvImageGIF cut;
    const Bytes whole = encodeGif(picture);
    ASSERT_TRUE(decodeGif(Bytes(whole.begin(), whole.begin() + long(whole.size() / 2)), cut));
    EXPECT_EQ(cut.GetTransIndex(), -1); // the picture's full table has no spare entry
}

TEST(GifEncode, RefusedWritesAreReported)
{
    ZvImage picture = makePatternIndexed(8, 8, 8);
    ZvImageGIF gif;
    gif.Ghost(&picture);
    ShortFile file(0);
    EXPECT_FALSE(gif.Encode(&file));
    EXPECT_STREQ(gif.GetLastError(), "Write Error in GIF file");
}

TEST(GifCodec, SavesAndLoadsThroughTheImageObject)
{
    ZvImage picture = makePatternIndexed(31, 17, 4);
    picture.SetTransIndex(3);
    const std::string path = scratchDir() + "/round.gif";
    ASSERT_TRUE(picture.Save(path.c_str(), ZV_TYPE_GIF)) << picture.GetLastError();
    ZvImage typed(path.c_str(), ZV_TYPE_GIF);
    ASSERT_TRUE(typed.IsValid()) << typed.GetLastError();
    EXPECT_EQ(typed.GetType(), std::uint32_t(ZV_TYPE_GIF));
    EXPECT_EQ(typed.GetBpp(), 4u);
    EXPECT_EQ(typed.GetTransIndex(), 3);
    EXPECT_EQ(toRgb(typed), toRgb(picture));
    ZvImage sniffed(path.c_str(), ZV_TYPE_UNKNOWN);
    EXPECT_EQ(sniffed.GetType(), std::uint32_t(ZV_TYPE_GIF));
}
