// tests/caption/caption_profile_test.cpp
// A caption design kept as profile lines: every field back as written, and a
// damaged section giving each bad field its default while the good ones stay.
#include "caption/caption_profile.h"
#include "platform/profile_store.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

std::string freshProfile(const std::string &name)
{
    const std::string path = scratchDir() + "/" + name + ".ini";
    std::filesystem::remove(path);
    return path;
}

// A design with no field left at its default.
CaptionSettings everyField()
{
    CaptionSettings c;
    c.text = QString::fromUtf8(" \"Été\" = 2026\r\nC:\\photos\t\\n; x=1 ");
    LOGFONT &f = c.font;
    std::strcpy(f.lfFaceName, "DejaVu Serif");
    f.lfHeight = 41;
    f.lfWidth = 7;
    f.lfEscapement = 900;
    f.lfOrientation = -900;
    f.lfWeight = 700;
    f.lfItalic = f.lfUnderline = f.lfStrikeOut = 1;
    f.lfCharSet = 3;
    f.lfOutPrecision = 4;
    f.lfClipPrecision = 5;
    f.lfQuality = 6;
    f.lfPitchAndFamily = 7;
    c.backColor = RGB(0x12, 0x34, 0x56);
    c.textColor = RGB(0xAB, 0xCD, 0xEF);
    c.align = CaptionAlign::Right;
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {300.25f, 90.5f, 20.125f, 10.1f};
    CaptionStyle &s = c.style;
    s.referenceSide = 3000;
    s.wordWrap = s.fitToBox = true;
    s.padding = 12.5f;
    s.effect = CaptionEffect::Shadow;
    s.effectColor = RGB(1, 2, 3);
    s.effectSize = 0.3f;
    s.backOpacity = 35;
    s.logoPath = QString::fromUtf8("/home/ö/logo=1.svg");
    s.logoOpacity = 0;
    return c;
}

} // namespace

TEST(CaptionProfile, EveryFieldRoundTripsInReadableLines)
{
    ProfileStore profile(freshProfile("caption-round-trip"));
    ASSERT_TRUE(profile.WriteProfileString("Other", "Key", "kept"));
    const CaptionSettings design = everyField();
    ASSERT_TRUE(saveCaptionProfile(profile, design));
    std::vector<std::string> problems;
    const CaptionSettings back = loadCaptionProfile(profile, CaptionSettings{}, &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(back.text, design.text);
    EXPECT_STREQ(back.font.lfFaceName, "DejaVu Serif");
    EXPECT_EQ(0, std::memcmp(&back.font, &design.font, sizeof(LOGFONT)));
    EXPECT_EQ(back.backColor, design.backColor);
    EXPECT_EQ(back.textColor, design.textColor);
    EXPECT_EQ(back.align, design.align);
    EXPECT_EQ(back.anchor, design.anchor);
    EXPECT_EQ(back.offsets, design.offsets);
    EXPECT_EQ(back.style, design.style);
    EXPECT_EQ(profile.GetProfileString("Other", "Key"), "kept");

    // What a person finds in the file.
    const std::string file = readFile(profile.path());
    for (const char *line :
         {"TextColor=#ABCDEF\n", "BackColor=#123456\n", "Anchor=bottom-right\n", "Align=right\n",
          "WordWrap=1\n", "Effect=shadow\n", "Offsets=300.25,90.5,20.125,10.1\n",
          "Text=\\x20\"Été\" = 2026\\r\\nC:\\\\photos\\t\\\\n; x=1\\x20\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;

    // No background, and the hand-written backslash that starts no escape.
    CaptionSettings plain;
    plain.text = QStringLiteral("line");
    ASSERT_TRUE(saveCaptionProfile(profile, plain));
    ASSERT_TRUE(profile.WriteProfileString(kCaptionSection, "Logo", "C:\\logo.png"));
    const CaptionSettings none = loadCaptionProfile(profile, design);
    EXPECT_EQ(none.backColor, kNoBackColor);
    EXPECT_EQ(none.style.logoPath, QStringLiteral("C:\\logo.png"));
}

TEST(CaptionProfile, DamagedValuesFallBackOneByOne)
{
    ProfileStore profile(freshProfile("caption-damaged"));
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"Text", std::string(10 * 1024 * 1024, 'x')},
        {"Font", "A family name far longer than thirty-one bytes"},
        {"FontHeight", "26px"},
        {"FontWeight", "700"},
        {"Italic", "2"},
        {"TextColor", "#12345"},
        {"BackColor", "#00ff00"},
        {"Align", "right"},
        {"Anchor", "9"},
        {"Offsets", "1,2,3"},
        {"SizeWithPicture", "nan"},
        {"Padding", "-4"},
        {"EffectSize", "3.5"},
        {"Effect", "glow"},
        {"BackOpacity", "101"},
        {"LogoOpacity", "50"},
    };
    ASSERT_TRUE(profile.WriteProfileStrings(kCaptionSection, lines));
    const CaptionSettings base = everyField();
    std::vector<std::string> problems;
    const CaptionSettings c = loadCaptionProfile(profile, base, &problems);

    EXPECT_EQ(c.text, base.text);
    EXPECT_STREQ(c.font.lfFaceName, base.font.lfFaceName);
    EXPECT_EQ(c.font.lfHeight, base.font.lfHeight);
    EXPECT_EQ(c.font.lfItalic, base.font.lfItalic);
    EXPECT_EQ(c.textColor, base.textColor);
    EXPECT_EQ(c.anchor, base.anchor);
    EXPECT_EQ(c.offsets, base.offsets);
    EXPECT_EQ(c.style.referenceSide, base.style.referenceSide);
    EXPECT_EQ(c.style.padding, base.style.padding);
    EXPECT_EQ(c.style.effect, base.style.effect);
    EXPECT_EQ(c.style.backOpacity, base.style.backOpacity);
    // The good ones are taken.
    EXPECT_EQ(c.font.lfWeight, 700);
    EXPECT_EQ(c.backColor, RGB(0, 0xFF, 0));
    EXPECT_EQ(c.align, CaptionAlign::Right);
    EXPECT_EQ(c.style.effectSize, 3.5f);
    EXPECT_EQ(c.style.logoOpacity, 50);
    std::string named;
    for (const std::string &p : problems)
        named += p.substr(0, p.find(':')) + " ";
    EXPECT_EQ(named, "Text Font FontHeight Italic TextColor Anchor Offsets SizeWithPicture Padding Effect "
                     "BackOpacity ");

    // Edges that make no box from a good corner bring back the base's box whole.
    ASSERT_TRUE(
        profile.WriteProfileStrings(kCaptionSection, {{"Anchor", "top-right"}, {"Offsets", "10,10,300,50"}}));
    problems.clear();
    const CaptionSettings flipped = loadCaptionProfile(profile, base, &problems);
    EXPECT_EQ(flipped.anchor, base.anchor);
    EXPECT_EQ(flipped.offsets, base.offsets);
    EXPECT_NE(std::find_if(problems.begin(), problems.end(),
                           [](const std::string &p) { return p.rfind("Offsets:", 0) == 0; }),
              problems.end());
}
