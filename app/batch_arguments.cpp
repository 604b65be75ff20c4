// app/batch_arguments.cpp
#include "app/batch_arguments.h"

#include "export/export_list.h"
#include "export/output_path.h"
#include "export/preset_store.h"
#include "platform/font_map.h"
#include "platform/profile_store.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

const char kBatchHelp[] =
    "usage: zelventa-batch [OPTIONS] PICTURE...\n"
    "\n"
    "Puts one caption on every picture, turns, resizes and saves them, as the\n"
    "export of Zelventa does. Prints progress on stderr and, at the end, the line\n"
    "\"N files saved to [FOLDER]!\" on stdout; pictures that could not be handled\n"
    "are listed on stderr after it.\n"
    "\n"
    "Caption (a box whose edges keep their distance from one corner of every picture):\n"
    "  --text TEXT          caption text; \\n starts a new line, \\\\ is a backslash\n"
    "                       (default: http://www.zelventa.example)\n"
    "  --no-caption         stamp nothing\n"
    "  --font FAMILY        font family (Arial; at most 31 bytes)\n"
    "  --font-height N      LOGFONT height in picture pixels: negative = character\n"
    "                       height, positive = cell height (-26)\n"
    "  --bold --italic --underline --strikeout\n"
    "                       font style switches (all off)\n"
    "  --text-color RRGGBB  text colour as hexadecimal red, green, blue (000000)\n"
    "  --back-color RRGGBB|none\n"
    "                       colour that fills the box, or none for a transparent box (none)\n"
    "  --align left|middle|right\n"
    "                       text alignment in the box (middle)\n"
    "  --anchor top-left|top-right|bottom-left|bottom-right\n"
    "                       corner the box keeps its distance from (top-left)\n"
    "  --offsets L,T,R,B    box edges in picture pixels measured from the anchor\n"
    "                       corner, as the box stores them: for a right anchor L and R\n"
    "                       count leftwards from the right edge, for a bottom anchor\n"
    "                       T and B upwards from the bottom edge (40,40,340,80)\n"
    "\n"
    "Turning:\n"
    "  --rotate 0|90|-90|180  turn every picture named on the command line (0);\n"
    "                       90 turns clockwise, -90 anticlockwise\n"
    "  --list FILE          more pictures, one \"PATH<TAB>ROTATION\" per line (a line\n"
    "                       without a tab is not turned; relative paths start from the\n"
    "                       current folder); may be given more than once\n"
    "\n"
    "Presets (the caption and the export options of a whole job, as the program\n"
    "saves them; every option given on the command line overrides the preset's):\n"
    "  --preset NAME        the preset saved in the program under NAME\n"
    "                       ($XDG_CONFIG_HOME/zelventa/presets/NAME.ini)\n"
    "  --preset-file FILE   a preset file; a missing or damaged one ends with exit\n"
    "                       status 2 and what is wrong with it\n"
    "\n"
    "Export (defaults are those of an empty profile):\n"
    "  --profile INI        start from the \"Export Option\" section of this profile,\n"
    "                       as the export dialog does; the options below override it\n"
    "                       (cannot be combined with a preset)\n"
    "  --save-profile INI   store the resulting fifteen options in this profile once\n"
    "                       they are valid, as Start does\n"
    "  --folder DIR         write every picture into DIR, which must exist (default;\n"
    "                       but no folder is set, so one of --folder or --same-folder\n"
    "                       is needed unless the profile names one)\n"
    "  --same-folder        write each picture into the folder it was read from,\n"
    "                       keeping its name (cannot be combined with --prefix)\n"
    "  --prefix PREFIX      name the files PREFIX0000, PREFIX0001, ... taking the\n"
    "                       lowest numbers free in the folder (needs --folder; no \"/\")\n"
    "  --keep-names         keep each picture's name with the new extension (default)\n"
    "  --format original|jpeg|gif|bmp|tiff|png|pcx|tga|webp|avif|jxl\n"
    "                       file format written; original keeps each picture's own (original)\n"
    "  --jpeg-quality Q     JPEG quality 0..100, used with --format jpeg only (90)\n"
    "  --dpi X[,Y]          resolution 0..1000, used with --format jpeg only (72,72)\n"
    "  --webp-quality Q     WebP quality 0..100 (90)\n"
    "  --avif-quality Q     AVIF quality 0..100 (70)\n"
    "  --avif-speed S       AVIF encoder speed, 0 slowest and smallest .. 10 fastest (6)\n"
    "  --jxl-quality Q      JPEG XL quality 0..100, coded as a distance (90)\n"
    "  --lossless           write WebP and JPEG XL without loss (the quality is then moot)\n"
    "  --resize W,H         resize every picture; W and H are kept as typed and read\n"
    "                       as numbers (text without digits reads as 0) (off; 800,600)\n"
    "  --unit pixel|percent unit of W and H (pixel)\n"
    "  --stretch yes|no     whether a picture may be enlarged (yes); with no, a side\n"
    "                       asked to grow keeps the picture's own size (with\n"
    "                       --keep-aspect off each side is taken on its own)\n"
    "  --keep-aspect by-height|by-width|off\n"
    "                       keep the aspect ratio with H (by-height) or W (by-width)\n"
    "                       deciding the size, or take W and H as they are (off)\n"
    "  --quality low|middle|high\n"
    "                       resampling: nearest pixel, bilinear/area average, bicubic (middle)\n"
    "  --keep-metadata      keep the photo information: EXIF (without its thumbnail and\n"
    "                       made true of the output), XMP and colour profile in JPEG,\n"
    "                       WebP, AVIF and JPEG XL,\n"
    "                       the colour profile in PNG and TIFF (off)\n"
    "  --colour srgb|keep   applies with --keep-metadata, to a picture whose file\n"
    "                       states a colour space other than sRGB (a phone's Display\n"
    "                       P3, a camera's Adobe RGB): srgb converts its colours to\n"
    "                       sRGB and writes sRGB's profile; keep writes its own\n"
    "                       colours and profile and converts the caption's colours\n"
    "                       into that space, so that they look as chosen (srgb).\n"
    "                       Without --keep-metadata every picture is converted\n"
    "                       to sRGB and written without a profile\n"
    "  --no-auto-orient     keep the stored pixels: do not turn pictures upright as\n"
    "                       the camera held them (their EXIF or TIFF orientation)\n"
    "  --overwrite ask|yes|no|cancel\n"
    "                       answer to \"File already exists,overwrite?\": ask prompts\n"
    "                       for each file, cancel ends the run at the first such file\n"
    "                       (ask when stdin is a terminal, otherwise no); it never\n"
    "                       replaces one of the pictures being read, unless:\n"
    "  --replace-originals  let the answer above replace the source pictures\n"
    "                       themselves (with --same-folder and --format original)\n"
    "  --accept-damaged     save pictures that could be read only in part (cut off\n"
    "                       or corrupt data); without it they are not saved. Either\n"
    "                       way they are listed after the summary\n"
    "  --dry-run            write nothing: print one line per picture on stdout,\n"
    "                       [SOURCE] [OUTPUT] SIZE FORMAT ACTION separated by tabs,\n"
    "                       where ACTION is new, replace, replace original,\n"
    "                       existing file kept, skipped (name taken by an earlier\n"
    "                       picture) or unreadable; reads only the pictures' headers\n"
    "  --jobs N             pictures made at once on worker threads, 1 to 64; 1 makes\n"
    "                       one after the other (one per core)\n"
    "  --shard K/N          handle only rows K, K+N, K+2N, ... of the list (0 <= K < N),\n"
    "                       so that N runs on N machines share one batch; with --prefix\n"
    "                       a picture's counter is its row in the whole list (from 0),\n"
    "                       never a free number found in the folder: a name already\n"
    "                       there is reported as --overwrite says\n"
    "  --help               show this text\n"
    "\n"
    "An interrupt (Ctrl-C) ends the run after the current picture, with the summary;\n"
    "a second one ends the program at once.\n"
    "\n"
    "Exit status: 0 every picture was saved; 3 the run ended with its summary but\n"
    "at least one picture was not saved (each is listed with its reason); 1 an\n"
    "output folder could not be listed or written into, or all 10000 counter names\n"
    "are taken; 2 a usage error or a validation message; 130 the run was\n"
    "interrupted.\n";

const char kBatchUsage[] = "usage: zelventa-batch [OPTIONS] PICTURE...\n"
                           "Try 'zelventa-batch --help' for the options.\n";

namespace {

using Handler = std::function<std::string(BatchArguments &, const std::string &)>;

struct Option
{
    const char *name;
    bool takesValue;
    Handler apply; // returns "" or what is wrong with the value
};

// The box a new caption starts with: 300 x 40 pixels, 40 pixels in from the
// top-left corner.
constexpr CaptionOffsets kNewBoxOffsets{40, 40, 340, 80};

// More threads than this only hold more pictures in memory.
constexpr long kMaxJobs = 64;

std::optional<long> wholeNumber(const std::string &text, long low, long high)
{
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high)
        return std::nullopt;
    return v;
}

std::vector<std::string> splitCommas(const std::string &text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(text.substr(start, comma - start));
    parts.push_back(text.substr(start));
    return parts;
}

// One of names, whose index is the value stored.
Handler choice(std::vector<const char *> names, std::function<void(BatchArguments &, int)> set)
{
    return [names = std::move(names), set = std::move(set)](BatchArguments &a, const std::string &v) {
        std::string all;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (v == names[i]) {
                set(a, int(i));
                return std::string();
            }
            all += (i ? "|" : "") + std::string(names[i]);
        }
        return "unknown value '" + v + "' (" + all + ")";
    };
}

// parseBatchArguments makes the caption before any option is applied.
CaptionSettings &caption(BatchArguments &a)
{
    return *a.job.caption;
}

std::string setText(BatchArguments &a, const std::string &v)
{
    std::string text;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size() && (v[i + 1] == 'n' || v[i + 1] == '\\'))
            text += v[++i] == 'n' ? "\r\n" : "\\";
        else
            text += v[i];
    }
    caption(a).text = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return {};
}

std::string setFont(BatchArguments &a, const std::string &v)
{
    if (v.empty() || v.size() >= std::size_t(LF_FACESIZE) || v.find('\0') != std::string::npos)
        return "a family name of 1 to " + std::to_string(LF_FACESIZE - 1) + " bytes is needed";
    LOGFONT &f = caption(a).font;
    std::memset(f.lfFaceName, 0, sizeof(f.lfFaceName));
    std::memcpy(f.lfFaceName, v.data(), v.size());
    return {};
}

std::string setFontHeight(BatchArguments &a, const std::string &v)
{
    const std::optional<long> n = wholeNumber(v, -10000, 10000);
    if (!n)
        return "a whole number from -10000 to 10000 is needed, not '" + v + "'";
    caption(a).font.lfHeight = std::int32_t(*n);
    return {};
}

std::optional<COLORREF> colour(const std::string &v)
{
    const std::string hex = !v.empty() && v[0] == '#' ? v.substr(1) : v;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    const unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
    return RGB(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

std::string setTextColour(BatchArguments &a, const std::string &v)
{
    const std::optional<COLORREF> c = colour(v);
    if (!c)
        return "a colour RRGGBB is needed, not '" + v + "'";
    caption(a).textColor = *c;
    return {};
}

std::string setBackColour(BatchArguments &a, const std::string &v)
{
    const std::optional<COLORREF> c = v == "none" ? std::optional<COLORREF>(kNoBackColor) : colour(v);
    if (!c)
        return "a colour RRGGBB or none is needed, not '" + v + "'";
    caption(a).backColor = *c;
    return {};
}

std::string setOffsets(BatchArguments &a, const std::string &v)
{
    const std::vector<std::string> parts = splitCommas(v);
    float values[4];
    for (std::size_t i = 0; i < 4 && parts.size() == 4; ++i) {
        char *end = nullptr;
        const float f = std::strtof(parts[i].c_str(), &end);
        if (parts[i].empty() || *end != '\0' || !std::isfinite(f))
            return "four numbers L,T,R,B are needed, not '" + v + "'";
        values[i] = f;
    }
    if (parts.size() != 4)
        return "four numbers L,T,R,B are needed, not '" + v + "'";
    caption(a).offsets = {values[0], values[1], values[2], values[3]};
    return {};
}

std::string setFlag(BatchArguments &a, std::uint8_t LOGFONT::*member)
{
    caption(a).font.*member = 1;
    return {};
}

std::string setJpegQuality(BatchArguments &a, const std::string &v)
{
    const std::optional<long> n = wholeNumber(v, 0, 100);
    if (!n)
        return "a quality from 0 to 100 is needed, not '" + v + "'";
    a.job.options.JpegQuality = int(*n);
    return {};
}

template <int ExportCodecSettings::*Member, long Upper>
std::string setCodecNumber(BatchArguments &a, const std::string &v)
{
    const std::optional<long> n = wholeNumber(v, 0, Upper);
    if (!n)
        return "a number from 0 to " + std::to_string(Upper) + " is needed, not '" + v + "'";
    a.job.options.Codec.*Member = int(*n);
    return {};
}

std::string setJobs(BatchArguments &a, const std::string &v)
{
    const std::optional<long> n = wholeNumber(v, 1, kMaxJobs);
    if (!n)
        return "a number of jobs from 1 to " + std::to_string(kMaxJobs) + " is needed, not '" + v + "'";
    a.job.jobs = int(*n);
    return {};
}

std::string setDpi(BatchArguments &a, const std::string &v)
{
    const std::vector<std::string> parts = splitCommas(v);
    const std::optional<long> x = wholeNumber(parts[0], 0, 1000);
    const std::optional<long> y = parts.size() == 2 ? wholeNumber(parts[1], 0, 1000) : x;
    if (parts.size() > 2 || !x || !y)
        return "X or X,Y from 0 to 1000 is needed, not '" + v + "'";
    a.job.options.XResolution = int(*x);
    a.job.options.YResolution = int(*y);
    return {};
}

std::string setResize(BatchArguments &a, const std::string &v)
{
    const std::size_t comma = v.find(',');
    if (comma == std::string::npos)
        return "W,H is needed, not '" + v + "'";
    a.job.options.ResizeImage = true;
    a.job.options.ResizeWidth = v.substr(0, comma);
    a.job.options.ResizeHeight = v.substr(comma + 1);
    return {};
}

void setKeepAspect(BatchArguments &a, int index)
{
    ExportOptions &o = a.job.options;
    o.AspectRatio = index != 2;
    if (index != 2) {
        o.RestrictWidth = index == 0;
        o.RestrictHeight = index == 1;
    }
}

// "K/N" with 0 <= K < N.
std::string setShard(BatchArguments &a, const std::string &v)
{
    const std::size_t slash = v.find('/');
    const std::optional<long> count =
        slash == std::string::npos ? std::nullopt : wholeNumber(v.substr(slash + 1), 1, 1L << 30);
    const std::optional<long> index =
        count ? wholeNumber(v.substr(0, slash), 0, *count - 1) : std::optional<long>();
    if (!index)
        return "K/N with 0 <= K < N is needed, not '" + v + "'";
    a.shardIndex = *index;
    a.shardCount = *count;
    return {};
}

// Keeps this shard's rows and notes where each stood in the whole list.
void takeShard(BatchArguments &a)
{
    std::vector<ExportRow> all = std::move(a.job.rows);
    a.job.rows.clear();
    a.job.listRows.clear();
    for (std::size_t i = std::size_t(a.shardIndex); i < all.size(); i += std::size_t(a.shardCount)) {
        a.job.rows.push_back(std::move(all[i]));
        a.job.listRows.push_back((long long)i);
    }
}

// Options that only note a value; their work is done elsewhere in parsing.
std::string nothing(BatchArguments &, const std::string &)
{
    return {};
}

const std::vector<Option> &optionTable()
{
    using A = BatchArguments;
    static const std::vector<Option> table = {
        {"--text", true, setText},
        {"--no-caption", false, nothing},
        {"--font", true, setFont},
        {"--font-height", true, setFontHeight},
        {"--bold", false,
         [](A &a, const std::string &) {
             caption(a).font.lfWeight = FW_BOLD;
             return std::string();
         }},
        {"--italic", false, [](A &a, const std::string &) { return setFlag(a, &LOGFONT::lfItalic); }},
        {"--underline", false, [](A &a, const std::string &) { return setFlag(a, &LOGFONT::lfUnderline); }},
        {"--strikeout", false, [](A &a, const std::string &) { return setFlag(a, &LOGFONT::lfStrikeOut); }},
        {"--text-color", true, setTextColour},
        {"--back-color", true, setBackColour},
        {"--align", true, choice({"left", "middle", "right"}, [](A &a, int i) { caption(a).align = i; })},
        {"--anchor", true,
         choice({"top-left", "top-right", "bottom-left", "bottom-right"},
                [](A &a, int i) { caption(a).anchor = i; })},
        {"--offsets", true, setOffsets},
        {"--rotate", true,
         choice({"0", "90", "-90", "180"},
                [](A &a, int i) {
                    a.rotation = std::array{0, 90, -90, 180}[i];
                })},
        {"--list", true, nothing},
        {"--profile", true, nothing},
        {"--preset", true, nothing},
        {"--preset-file", true, nothing},
        {"--save-profile", true,
         [](A &a, const std::string &v) {
             a.saveProfile = v;
             return std::string();
         }},
        {"--folder", true,
         [](A &a, const std::string &v) {
             a.job.options.FolderMode = ExportFolderMode::OutputFolder;
             a.job.options.OutputFolder = v;
             return std::string();
         }},
        {"--same-folder", false,
         [](A &a, const std::string &) {
             a.job.options.FolderMode = ExportFolderMode::PictureFolder;
             return std::string();
         }},
        {"--prefix", true,
         [](A &a, const std::string &v) {
             a.job.options.NameMode = ExportNameMode::Counter;
             a.job.options.Prefix = v;
             return std::string();
         }},
        {"--keep-names", false,
         [](A &a, const std::string &) {
             a.job.options.NameMode = ExportNameMode::Keep;
             return std::string();
         }},
        {"--format", true,
         choice({"original", "jpeg", "gif", "bmp", "tiff", "png", "pcx", "tga", "webp", "avif", "jxl"},
                [](A &a, int i) { a.job.options.Format = i; })},
        {"--jpeg-quality", true, setJpegQuality},
        {"--webp-quality", true, setCodecNumber<&ExportCodecSettings::WebpQuality, 100>},
        {"--avif-quality", true, setCodecNumber<&ExportCodecSettings::AvifQuality, 100>},
        {"--avif-speed", true, setCodecNumber<&ExportCodecSettings::AvifSpeed, 10>},
        {"--jxl-quality", true, setCodecNumber<&ExportCodecSettings::JxlQuality, 100>},
        {"--lossless", false,
         [](A &a, const std::string &) {
             a.job.options.Codec.WebpLossless = true;
             a.job.options.Codec.JxlLossless = true;
             return std::string();
         }},
        {"--dpi", true, setDpi},
        {"--resize", true, setResize},
        {"--unit", true, choice({"pixel", "percent"}, [](A &a, int i) { a.job.options.Unit = i; })},
        {"--stretch", true, choice({"yes", "no"}, [](A &a, int i) { a.job.options.AllowStretch = i == 0; })},
        {"--keep-aspect", true, choice({"by-height", "by-width", "off"}, setKeepAspect)},
        {"--quality", true,
         choice({"low", "middle", "high"}, [](A &a, int i) { a.job.options.Quality = i; })},
        {"--overwrite", true,
         choice({"ask", "yes", "no", "cancel"},
                [](A &a, int i) {
                    a.overwrite = OverwritePolicy(i);
                    a.overwriteGiven = true;
                })},
        {"--replace-originals", false,
         [](A &a, const std::string &) {
             a.replaceOriginals = true;
             return std::string();
         }},
        {"--accept-damaged", false,
         [](A &a, const std::string &) {
             a.acceptDamaged = true;
             return std::string();
         }},
        {"--dry-run", false,
         [](A &a, const std::string &) {
             a.dryRun = true;
             return std::string();
         }},
        {"--keep-metadata", false,
         [](A &a, const std::string &) {
             a.job.options.KeepPhotoInfo = true;
             return std::string();
         }},
        {"--colour", true,
         choice({"srgb", "keep"}, [](A &a, int i) { a.job.options.KeepColourSpace = i == 1; })},
        {"--no-auto-orient", false,
         [](A &a, const std::string &) {
             a.job.options.AutoOrient = false;
             return std::string();
         }},
        {"--jobs", true, setJobs},
        {"--shard", true, setShard},
        {"--help", false,
         [](A &a, const std::string &) {
             a.help = true;
             return std::string();
         }},
    };
    return table;
}

const Option *findOption(const std::string &name)
{
    for (const Option &o : optionTable()) {
        if (name == o.name)
            return &o;
    }
    return name == "-h" ? findOption("--help") : nullptr;
}

struct Given
{
    const Option *option; // null: a picture
    std::string value;
};

// Splits the arguments into options with their values and pictures.
bool tokenize(const std::vector<std::string> &args, std::vector<Given> &given, std::string &error)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            given.push_back({nullptr, arg});
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const Option *option = findOption(name);
        if (!option) {
            error = "unknown option " + name;
            return false;
        }
        if (!option->takesValue && eq != std::string::npos) {
            error = name + " takes no value";
            return false;
        }
        if (option->takesValue && eq == std::string::npos && i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        given.push_back({option, !option->takesValue       ? std::string()
                                 : eq != std::string::npos ? arg.substr(eq + 1)
                                                           : args[++i]});
    }
    return true;
}

std::optional<std::string> lastValueOf(const std::vector<Given> &given, const char *name)
{
    std::optional<std::string> value;
    for (const Given &g : given) {
        if (g.option && std::strcmp(g.option->name, name) == 0)
            value = g.value;
    }
    return value;
}

bool loadProfile(const std::string &path, ExportOptions &options, std::string &error)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "--profile: cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(f);
    options.Load(ProfileStore(path));
    return true;
}

// The caption and export options of the preset given, if any, over the new
// box; each option on the command line is applied after it.
bool loadPreset(const std::vector<Given> &given, BatchArguments &out, std::string &error)
{
    const std::optional<std::string> name = lastValueOf(given, "--preset");
    const std::optional<std::string> file = lastValueOf(given, "--preset-file");
    const char *option = name ? "--preset" : "--preset-file";
    if (name && file) {
        error = "--preset: cannot be combined with --preset-file";
        return false;
    }
    if (!name && !file)
        return true;
    if (lastValueOf(given, "--profile")) {
        error = std::string(option) + ": cannot be combined with --profile";
        return false;
    }
    JobPreset preset;
    const std::string problem = name ? PresetStore().Load(*name, *out.job.caption, preset)
                                     : PresetStore::LoadFile(*file, *out.job.caption, preset);
    if (!problem.empty()) {
        error = std::string(option) + ": " + problem;
        return false;
    }
    out.job.caption = preset.caption;
    out.job.options = preset.options;
    return true;
}

// Pictures and list files become rows in the order they were given.
bool collectRows(const std::vector<Given> &given, BatchArguments &out, std::string &error)
{
    for (const Given &g : given) {
        if (!g.option) {
            out.job.rows.push_back({nameOf(g.value), g.value, out.rotation});
        } else if (std::strcmp(g.option->name, "--list") == 0 &&
                   !readExportList(g.value, out.job.rows, error)) {
            error = "--list: " + error;
            return false;
        }
    }
    return true;
}

} // namespace

bool parseBatchArguments(const std::vector<std::string> &args, BatchArguments &out, std::string &error)
{
    std::vector<Given> given;
    if (!tokenize(args, given, error))
        return false;
    out.job.caption.emplace();
    out.job.caption->offsets = kNewBoxOffsets;
    const std::optional<std::string> profile = lastValueOf(given, "--profile");
    if (profile && !loadProfile(*profile, out.job.options, error))
        return false;
    if (!loadPreset(given, out, error))
        return false;
    for (const Given &g : given) {
        if (!g.option)
            continue;
        const std::string problem = g.option->apply(out, g.value);
        if (!problem.empty()) {
            error = std::string(g.option->name) + ": " + problem;
            return false;
        }
    }
    if (out.help)
        return true;
    if (lastValueOf(given, "--no-caption")) {
        if (lastValueOf(given, "--text")) {
            error = "--no-caption: cannot be combined with --text";
            return false;
        }
        out.job.caption.reset();
    }
    if (out.job.options.FolderMode == ExportFolderMode::PictureFolder && lastValueOf(given, "--prefix")) {
        error = "--prefix: counter names need --folder, not --same-folder";
        return false;
    }
    if (!collectRows(given, out, error))
        return false;
    if (lastValueOf(given, "--shard"))
        takeShard(out);
    return true;
}
