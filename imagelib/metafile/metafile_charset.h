// imagelib/metafile/metafile_charset.h
#pragma once

#include "platform/win_types.h"

#include <QString>

#include <cstddef>
#include <cstdint>

// Eight-bit text of a metafile as Unicode, read in the code page that the
// font's character set names (1252 for ANSI, 1251 for Russian, Shift-JIS,
// ...); Latin-1 where no converter is at hand.
QString MetaDecodeAnsi(const std::uint8_t *bytes, std::size_t count, std::uint8_t charset);

// Whether the font is the symbol font, whose codes stand for Greek letters
// and mathematical signs rather than for the letters of a code page.
bool metaIsSymbolFont(const LOGFONT &lf);

// Text written for the symbol font as the Unicode characters it shows:
// codes 0x20..0xFF, and the same codes at U+F020..U+F0FF where wide text
// puts them.
QString metaSymbolToUnicode(const QString &text);
