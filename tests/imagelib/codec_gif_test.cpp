#include "imagelib/codec_gif.h"
#include "imagelib/mem_file.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

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
            EXPECT_EQ(rgbaMismatches(toRgba(frame), toBytes(readFile(dir + pixels))), 0) << conf << " frame " << f;
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
