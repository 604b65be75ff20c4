// app/zvimage_main.cpp
// zvimage: the image library from a terminal, for scripts and for checking
// our codecs against other tools.
#include "imagelib/core/image.h"
#include "imagelib/geometry/orientation.h"
#include "platform/headless.h"

#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: zvimage info FILE...\n"
    "       zvimage convert IN OUT [--type N] [--quality Q] [--dpi X[,Y]]\n"
    "       zvimage resample IN OUT W H [--mode 0|1|2] [--type N] [--quality Q] [--dpi X[,Y]]\n"
    "       zvimage rotate IN OUT left|right|180 [--type N] [--quality Q] [--dpi X[,Y]]\n"
    "       zvimage dump IN            (binary PPM of the decoded pixels on stdout)\n"
    "\n"
    "Types: 1 BMP, 2 GIF, 3 JPEG, 4 PNG, 5 ICO, 6 TIFF, 7 TGA, 8 PCX, 9 WBMP, 10 WMF/EMF,\n"
    "11 JP2, 12 JPC, 13 PGX, 14 PNM, 15 RAS, 16 WebP, 17 AVIF, 18 HEIF/HEIC (read only), 19 JPEG XL,\n"
    "20 camera RAW (read only).\n"
    "Without --type the type follows the file name.\n";

struct SaveOptions
{
    long type = -1; // -1: from the output name
    long quality = -1;
    long xdpi = -1;
    long ydpi = -1;
};

[[noreturn]] void usageError(const std::string &what)
{
    std::fprintf(stderr, "zvimage: %s\n%s", what.c_str(), kUsage);
    std::exit(2);
}

long parseNumber(const std::string &text, const char *what)
{
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0)
        usageError(std::string("bad number for ") + what + ": " + text);
    return v;
}

// Takes the save options out of args, leaving the positional arguments.
SaveOptions takeSaveOptions(std::vector<std::string> &args, long *mode)
{
    SaveOptions o;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size())
                usageError("missing value for " + a);
            return args[++i];
        };
        if (a == "--type") {
            o.type = parseNumber(value(), "--type");
        } else if (a == "--quality") {
            o.quality = parseNumber(value(), "--quality");
            if (o.quality < 0 || o.quality > 100)
                usageError("--quality must be 0..100");
        } else if (a == "--dpi") {
            const std::string v = value();
            const std::size_t comma = v.find(',');
            o.xdpi = parseNumber(v.substr(0, comma), "--dpi");
            o.ydpi = comma == std::string::npos ? o.xdpi : parseNumber(v.substr(comma + 1), "--dpi");
        } else if (a == "--mode" && mode) {
            *mode = parseNumber(value(), "--mode");
            if (*mode < 0 || *mode > 2)
                usageError("--mode must be 0, 1 or 2");
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            usageError("unknown option " + a);
        } else {
            rest.push_back(a);
        }
    }
    args = rest;
    return o;
}

// Loads as the program does: the type from the name, then by content.
bool loadPicture(const std::string &path, ZvImage &image, std::string &message)
{
    if (::access(path.c_str(), R_OK) != 0) {
        message = std::string("cannot open ") + path + ": " + std::strerror(errno);
        return false;
    }
    if (image.Load(path.c_str(), ImageTypeFromName(path)))
        return true;
    message = image.GetLastError();
    if (message.empty())
        message = "cannot read " + path;
    return false;
}

int fail(const std::string &message)
{
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

int savePicture(ZvImage &image, const std::string &out, const SaveOptions &o)
{
    if (o.quality >= 0)
        image.SetJpegQuality(std::uint8_t(o.quality));
    if (o.xdpi >= 0) {
        image.SetXDPI(std::int32_t(o.xdpi));
        image.SetYDPI(std::int32_t(o.ydpi));
    }
    const std::uint32_t type = o.type >= 0 ? std::uint32_t(o.type) : ImageTypeFromName(out);
    image.SetLastError("");
    if (image.Save(out.c_str(), type))
        return 0;
    std::string message = image.GetLastError();
    if (message.empty())
        message = "cannot write " + out + (errno ? std::string(": ") + std::strerror(errno) : "");
    return fail(message);
}

int cmdInfo(const std::vector<std::string> &files)
{
    if (files.empty())
        usageError("info needs at least one file");
    int status = 0;
    for (const std::string &f : files) {
        ZvImage image;
        std::string message;
        if (!loadPicture(f, image, message)) {
            std::printf("%s: error: %s\n", f.c_str(), message.c_str());
            status = 1;
            continue;
        }
        // The size is as stored; a camera's tag says how the picture stands.
        const int orientation = image.GetOrientation();
        const bool swaps = zvOrientationSwapsSides(orientation);
        std::printf("%s: type=%u size=%ux%u bpp=%u dpi=%d,%d loaded=%ux%ux%u", f.c_str(), image.GetType(),
                    image.GetWidth(), image.GetHeight(), image.GetBpp(), image.GetXDPI(), image.GetYDPI(),
                    image.GetOrignWidth(), image.GetOrignHeight(), image.GetOrignBpp());
        if (orientation > 1)
            std::printf(" orientation=%d upright=%ux%u", orientation,
                        swaps ? image.GetHeight() : image.GetWidth(),
                        swaps ? image.GetWidth() : image.GetHeight());
        std::printf("\n");
    }
    return status;
}

int cmdConvert(std::vector<std::string> args)
{
    const SaveOptions o = takeSaveOptions(args, nullptr);
    if (args.size() != 2)
        usageError("convert needs IN and OUT");
    ZvImage image;
    std::string message;
    if (!loadPicture(args[0], image, message))
        return fail(message);
    return savePicture(image, args[1], o);
}

int cmdResample(std::vector<std::string> args)
{
    long mode = 1;
    const SaveOptions o = takeSaveOptions(args, &mode);
    if (args.size() != 4)
        usageError("resample needs IN OUT W H");
    const long w = parseNumber(args[2], "W");
    const long h = parseNumber(args[3], "H");
    if (w <= 0 || h <= 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF)
        return fail("width and height must be positive");
    ZvImage image;
    std::string message;
    if (!loadPicture(args[0], image, message))
        return fail(message);
    if (!image.Resample(std::int32_t(w), std::int32_t(h), int(mode)))
        return fail(*image.GetLastError() ? image.GetLastError() : "cannot resample");
    return savePicture(image, args[1], o);
}

int cmdRotate(std::vector<std::string> args)
{
    const SaveOptions o = takeSaveOptions(args, nullptr);
    if (args.size() != 3)
        usageError("rotate needs IN OUT left|right|180");
    const std::string how = args[2];
    if (how != "left" && how != "right" && how != "180")
        usageError("rotate takes left, right or 180, not " + how);
    ZvImage image;
    std::string message;
    if (!loadPicture(args[0], image, message))
        return fail(message);
    const bool ok = how == "left"    ? image.RotateLeft()
                    : how == "right" ? image.RotateRight()
                                     : image.Rotate180();
    if (!ok)
        return fail(*image.GetLastError() ? image.GetLastError() : "cannot rotate");
    return savePicture(image, args[1], o);
}

int cmdDump(const std::vector<std::string> &args)
{
    if (args.size() != 1)
        usageError("dump needs one file");
    ZvImage image;
    std::string message;
    if (!loadPicture(args[0], image, message))
        return fail(message);
    if (!image.IsValid())
        return fail("no pixels decoded");
    const std::uint32_t w = image.GetWidth();
    const std::uint32_t h = image.GetHeight();
    std::printf("P6\n%u %u\n255\n", w, h);
    std::vector<std::uint8_t> line(std::size_t(w) * 3);
    const RGBQUAD *pal = image.GetPalette();
    for (std::uint32_t y = h; y-- > 0;) {
        const std::uint8_t *row = image.GetBits(y);
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t *px = &line[std::size_t(x) * 3];
            if (pal) {
                const RGBQUAD c = image.GetPixelColor(std::int32_t(x), std::int32_t(y), false);
                px[0] = c.rgbRed, px[1] = c.rgbGreen, px[2] = c.rgbBlue;
            } else {
                px[0] = row[x * 3 + 2], px[1] = row[x * 3 + 1], px[2] = row[x * 3];
            }
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    // Metafiles draw text, and text drawing needs a GUI application object.
    prepareHeadlessQt(true);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    const std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info")
        return cmdInfo(args);
    if (command == "convert")
        return cmdConvert(args);
    if (command == "resample")
        return cmdResample(args);
    if (command == "rotate")
        return cmdRotate(args);
    if (command == "dump")
        return cmdDump(args);
    usageError("unknown command " + command);
}
