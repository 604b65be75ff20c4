// caption/caption_profile.cpp
#include "caption/caption_profile.h"

#include "platform/profile_store.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

const char kCaptionSection[] = "Caption";

namespace {

// Limits well beyond any real design; a value past them comes from a
// damaged or foreign file, not from the page.
constexpr std::int32_t kMaxFontHeight = 10000;
constexpr float kMaxOffset = 1e6f;
constexpr float kMaxMeasure = 1e5f; // padding, effect size, reference side
constexpr qsizetype kMaxPathLength = 4096;

const char *const kAlignNames[] = {"left", "middle", "right"};
const char *const kAnchorNames[] = {"top-left", "top-right", "bottom-left", "bottom-right"};
const char *const kEffectNames[] = {"none", "outline", "shadow"};

char hexDigit(int v)
{
    return "0123456789ABCDEF"[v & 15];
}

std::string number(float v)
{
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    return std::string(buf, end);
}

std::string colour(COLORREF c)
{
    std::string out = "#";
    for (int shift : {0, 8, 16}) {
        const int byte = int((c >> shift) & 0xFF);
        out += hexDigit(byte >> 4);
        out += hexDigit(byte);
    }
    return out;
}

std::string text(const QString &s)
{
    return escapeProfileText(s.toStdString());
}

// Reads the section's values into a design, noting what it could not use.
class Reader
{
  public:
    Reader(const ProfileStore &profile, const char *section, std::vector<std::string> *problems)
        : mEntries(profile.GetProfileSection(section))
        , mProblems(problems)
    {
    }

    // The stored text, or nullopt when absent or empty. Keys match without
    // regard to case and the first line of a key counts, as in the store.
    std::optional<std::string> raw(const char *key) const
    {
        const std::string_view wanted(key);
        for (const auto &[k, v] : mEntries) {
            if (k.size() == wanted.size() &&
                std::equal(k.begin(), k.end(), wanted.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                }))
                return v.empty() ? std::nullopt : std::optional<std::string>(v);
        }
        return std::nullopt;
    }

    template <typename T> void integer(const char *key, T &out, long low, long high)
    {
        const std::optional<std::string> v = raw(key);
        if (!v)
            return;
        long n = 0;
        const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
        if (ec != std::errc() || end != v->data() + v->size() || n < low || n > high)
            return bad(key, "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
        out = T(n);
    }

    void flag(const char *key, bool &out)
    {
        const std::optional<std::string> v = raw(key);
        if (v && *v != "0" && *v != "1")
            return bad(key, "0 or 1");
        if (v)
            out = *v == "1";
    }

    void byteFlag(const char *key, std::uint8_t &out)
    {
        bool on = out != 0;
        flag(key, on);
        out = on ? 1 : 0;
    }

    static std::optional<float> decimal(std::string_view v, float low, float high)
    {
        float f = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), f);
        if (v.empty() || ec != std::errc() || end != v.data() + v.size() || !std::isfinite(f) || f < low ||
            f > high)
            return std::nullopt;
        return f;
    }

    void measure(const char *key, float &out, float low, float high)
    {
        const std::optional<std::string> v = raw(key);
        if (!v)
            return;
        const std::optional<float> f = decimal(*v, low, high);
        if (!f)
            return bad(key, "a number from " + number(low) + " to " + number(high));
        out = *f;
    }

    void colourValue(const char *key, COLORREF &out, bool noneAllowed)
    {
        const std::optional<std::string> v = raw(key);
        if (!v)
            return;
        if (noneAllowed && *v == "none") {
            out = kNoBackColor;
            return;
        }
        const std::string_view hex =
            v->front() == '#' ? std::string_view(*v).substr(1) : std::string_view(*v);
        unsigned rgb = 0;
        const auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), rgb, 16);
        if (hex.size() != 6 || ec != std::errc() || end != hex.data() + hex.size())
            return bad(key, noneAllowed ? "a colour #RRGGBB or none" : "a colour #RRGGBB");
        out = RGB(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
    }

    template <std::size_t N> void choice(const char *key, std::int32_t &out, const char *const (&names)[N])
    {
        const std::optional<std::string> v = raw(key);
        if (!v)
            return;
        for (std::size_t i = 0; i < N; ++i) {
            if (*v == names[i]) {
                out = std::int32_t(i);
                return;
            }
        }
        std::string all;
        for (std::size_t i = 0; i < N; ++i)
            all += (i ? "|" : "") + std::string(names[i]);
        bad(key, all);
    }

    // A text of at most maxLength UTF-16 units; as stored, each may take up
    // to four bytes ("\x01", or a character of four UTF-8 bytes for two).
    void textValue(const char *key, QString &out, qsizetype maxLength)
    {
        const std::optional<std::string> v = raw(key);
        if (!v)
            return;
        const std::string tooLong = "a text of at most " + std::to_string(maxLength) + " characters";
        if (v->size() > std::size_t(4 * maxLength))
            return bad(key, tooLong);
        const std::string plain = unescapeProfileText(*v);
        const QString decoded = QString::fromUtf8(plain.data(), qsizetype(plain.size()));
        if (decoded.size() > maxLength)
            return bad(key, tooLong);
        out = decoded;
    }

    void face(const char *key, char (&out)[LF_FACESIZE])
    {
        const std::optional<std::string> v = raw(key);
        if (!v)
            return;
        const std::string name = unescapeProfileText(*v);
        if (name.size() >= std::size_t(LF_FACESIZE) || name.find('\0') != std::string::npos)
            return bad(key, "a family name of 1 to " + std::to_string(LF_FACESIZE - 1) + " bytes");
        std::memset(out, 0, LF_FACESIZE);
        std::memcpy(out, name.data(), name.size());
    }

    // "L,T,R,B" as four finite numbers.
    std::optional<CaptionOffsets> offsets(const char *key)
    {
        const std::optional<std::string> v = raw(key);
        if (!v)
            return std::nullopt;
        float f[4];
        std::string_view rest = *v;
        for (int i = 0; i < 4; ++i) {
            const std::size_t comma = i < 3 ? rest.find(',') : rest.size();
            const std::optional<float> part = comma == std::string_view::npos
                                                  ? std::nullopt
                                                  : decimal(rest.substr(0, comma), -kMaxOffset, kMaxOffset);
            if (!part) {
                bad(key, "four numbers L,T,R,B");
                return std::nullopt;
            }
            f[i] = *part;
            rest.remove_prefix(std::min(rest.size(), comma + 1));
        }
        return CaptionOffsets{f[0], f[1], f[2], f[3]};
    }

    void bad(const char *key, const std::string &wanted)
    {
        if (mProblems)
            mProblems->push_back(std::string(key) + ": " + wanted + " is needed");
    }

  private:
    std::vector<std::pair<std::string, std::string>> mEntries;
    std::vector<std::string> *mProblems;
};

// Whether the edges describe a box (of no size at least) measured from this
// corner: from a right corner the left edge lies farther in than the right.
bool offsetsFitAnchor(const CaptionOffsets &o, std::int32_t anchor)
{
    const bool fromRight = anchor == CaptionAnchor::TopRight || anchor == CaptionAnchor::BottomRight;
    const bool fromBottom = anchor == CaptionAnchor::BottomLeft || anchor == CaptionAnchor::BottomRight;
    return (fromRight ? o.left >= o.right : o.right >= o.left) &&
           (fromBottom ? o.top >= o.bottom : o.bottom >= o.top);
}

void readFont(Reader &r, LOGFONT &f)
{
    r.face("Font", f.lfFaceName);
    r.integer("FontHeight", f.lfHeight, -kMaxFontHeight, kMaxFontHeight);
    r.integer("FontWidth", f.lfWidth, 0, kMaxFontHeight);
    r.integer("FontWeight", f.lfWeight, 0, 1000);
    r.byteFlag("Italic", f.lfItalic);
    r.byteFlag("Underline", f.lfUnderline);
    r.byteFlag("StrikeOut", f.lfStrikeOut);
    r.integer("Escapement", f.lfEscapement, -3600, 3600);
    r.integer("Orientation", f.lfOrientation, -3600, 3600);
    r.integer("CharSet", f.lfCharSet, 0, 255);
    r.integer("OutPrecision", f.lfOutPrecision, 0, 255);
    r.integer("ClipPrecision", f.lfClipPrecision, 0, 255);
    r.integer("FontQuality", f.lfQuality, 0, 255);
    r.integer("PitchAndFamily", f.lfPitchAndFamily, 0, 255);
}

void readStyle(Reader &r, CaptionStyle &s)
{
    r.measure("SizeWithPicture", s.referenceSide, 0, kMaxMeasure);
    r.flag("WordWrap", s.wordWrap);
    r.flag("FitToBox", s.fitToBox);
    r.measure("Padding", s.padding, 0, kMaxMeasure);
    std::int32_t effect = std::int32_t(s.effect);
    r.choice("Effect", effect, kEffectNames);
    s.effect = CaptionEffect(effect);
    r.colourValue("EffectColor", s.effectColor, false);
    r.measure("EffectSize", s.effectSize, 0, kMaxMeasure);
    r.integer("BackOpacity", s.backOpacity, 0, 100);
    r.textValue("Logo", s.logoPath, kMaxPathLength);
    r.integer("LogoOpacity", s.logoOpacity, 0, 100);
}

} // namespace

std::string escapeProfileText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool atEnd = i == 0 || i + 1 == text.size();
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F || (atEnd && (c == ' ' || c == '"' || c == '\''))) {
            out += "\\x";
            out += hexDigit(c >> 4);
            out += hexDigit(c);
        } else
            out += char(c);
    }
    return out;
}

std::string unescapeProfileText(std::string_view stored)
{
    auto hexValue = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char next = i + 1 < stored.size() ? stored[i + 1] : '\0';
        if (stored[i] != '\\' || !next) {
            out += stored[i];
        } else if (next == '\\' || next == 'n' || next == 'r' || next == 't') {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < stored.size() && hexValue(stored[i + 2]) >= 0 &&
                   hexValue(stored[i + 3]) >= 0) {
            out += char(hexValue(stored[i + 2]) * 16 + hexValue(stored[i + 3]));
            i += 3;
        } else {
            out += stored[i];
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> captionProfileEntries(const CaptionSettings &c)
{
    const LOGFONT &f = c.font;
    const CaptionStyle &s = c.style;
    const std::size_t faceLength = strnlen(f.lfFaceName, LF_FACESIZE - 1);
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    auto name = [](const auto &names, std::int32_t i) {
        return std::string(i >= 0 && std::size_t(i) < std::size(names) ? names[i] : names[0]);
    };
    const CaptionOffsets &o = c.offsets;
    return {
        {"Text", text(c.text)},
        {"Font", escapeProfileText(std::string_view(f.lfFaceName, faceLength))},
        {"FontHeight", std::to_string(f.lfHeight)},
        {"FontWidth", std::to_string(f.lfWidth)},
        {"FontWeight", std::to_string(f.lfWeight)},
        {"Italic", flag(f.lfItalic)},
        {"Underline", flag(f.lfUnderline)},
        {"StrikeOut", flag(f.lfStrikeOut)},
        {"Escapement", std::to_string(f.lfEscapement)},
        {"Orientation", std::to_string(f.lfOrientation)},
        {"CharSet", std::to_string(f.lfCharSet)},
        {"OutPrecision", std::to_string(f.lfOutPrecision)},
        {"ClipPrecision", std::to_string(f.lfClipPrecision)},
        {"FontQuality", std::to_string(f.lfQuality)},
        {"PitchAndFamily", std::to_string(f.lfPitchAndFamily)},
        {"TextColor", colour(c.textColor)},
        {"BackColor", c.backColor == kNoBackColor ? std::string("none") : colour(c.backColor)},
        {"Align", name(kAlignNames, c.align)},
        {"Anchor", name(kAnchorNames, c.anchor)},
        {"Offsets", number(o.left) + "," + number(o.top) + "," + number(o.right) + "," + number(o.bottom)},
        {"SizeWithPicture", number(s.referenceSide)},
        {"WordWrap", flag(s.wordWrap)},
        {"FitToBox", flag(s.fitToBox)},
        {"Padding", number(s.padding)},
        {"Effect", name(kEffectNames, std::int32_t(s.effect))},
        {"EffectColor", colour(s.effectColor)},
        {"EffectSize", number(s.effectSize)},
        {"BackOpacity", std::to_string(s.backOpacity)},
        {"Logo", text(s.logoPath)},
        {"LogoOpacity", std::to_string(s.logoOpacity)},
    };
}

bool saveCaptionProfile(ProfileStore &profile, const CaptionSettings &caption, const char *section)
{
    return profile.WriteProfileStrings(section, captionProfileEntries(caption));
}

CaptionSettings loadCaptionProfile(const ProfileStore &profile, const CaptionSettings &base,
                                   std::vector<std::string> *problems, const char *section)
{
    Reader r(profile, section, problems);
    CaptionSettings c = base;
    r.textValue("Text", c.text, kMaxCaptionTextLength);
    readFont(r, c.font);
    r.colourValue("TextColor", c.textColor, false);
    r.colourValue("BackColor", c.backColor, true);
    r.choice("Align", c.align, kAlignNames);
    r.choice("Anchor", c.anchor, kAnchorNames);
    if (const std::optional<CaptionOffsets> o = r.offsets("Offsets"))
        c.offsets = *o;
    // A box is only known from its corner and edges together: edges that
    // make no box from the stored corner bring back the base's box whole.
    if (!offsetsFitAnchor(c.offsets, c.anchor)) {
        r.bad("Offsets", "edges that make a box from the anchor corner");
        c.anchor = base.anchor;
        c.offsets = base.offsets;
    }
    readStyle(r, c.style);
    return c;
}
