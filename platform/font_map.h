// platform/font_map.h
#pragma once

#include "platform/win_types.h"

#include <QFont>
#include <QString>

#include <cstdint>

// LOGFONT values that callers set by name.
constexpr std::int32_t FW_DONTCARE = 0;
constexpr std::int32_t FW_NORMAL = 400;
constexpr std::int32_t FW_BOLD = 700;

constexpr std::uint8_t DEFAULT_QUALITY = 0;
constexpr std::uint8_t DRAFT_QUALITY = 1;
constexpr std::uint8_t PROOF_QUALITY = 2;
constexpr std::uint8_t NONANTIALIASED_QUALITY = 3;
constexpr std::uint8_t ANTIALIASED_QUALITY = 4;

constexpr std::uint8_t OUT_DEFAULT_PRECIS = 0;
constexpr std::uint8_t OUT_TT_ONLY_PRECIS = 7;

constexpr std::uint8_t DEFAULT_PITCH = 0x00;
constexpr std::uint8_t FIXED_PITCH = 0x01;
constexpr std::uint8_t VARIABLE_PITCH = 0x02;
constexpr std::uint8_t FF_DONTCARE = 0x00;
constexpr std::uint8_t FF_ROMAN = 0x10;
constexpr std::uint8_t FF_SWISS = 0x20;
constexpr std::uint8_t FF_MODERN = 0x30;
constexpr std::uint8_t FF_SCRIPT = 0x40;
constexpr std::uint8_t FF_DECORATIVE = 0x50;

// Heights beyond this many pixels are drawn at this size; nothing a user
// can pick comes near it, and it keeps glyph sizes finite on hostile input.
constexpr int kMaxFontPixels = 16384;
// What a height of 0 ("default size") gives: a cell 16 pixels high.
constexpr int kDefaultCellHeight = 16;

// The one mapping from a LOGFONT to the QFont that draws it; every caption
// drawing (preview and export) goes through it, so both show the same text.
//  - lfHeight < 0: character height, that is the font's pixel size (em);
//    lfHeight > 0: cell height, ascent + descent; 0: kDefaultCellHeight.
//  - lfWidth > 0 stretches the glyphs to that average character width.
//  - lfWeight 0 is normal (400); italic, underline, strike-out when non-zero.
//  - A face name wins over the pitch and family bits; fontconfig resolves
//    it, so "Arial" draws Liberation Sans and "Times New Roman" Liberation
//    Serif. Without a face the pitch (fixed: monospace) and then the family
//    bits pick a generic family (roman: serif, modern: monospace, ...).
//  - NONANTIALIASED_QUALITY turns anti-aliasing off; the other qualities,
//    the character set, precisions, escapement and orientation have no
//    effect (text is always drawn horizontally).
// Needs a QGuiApplication. Any thread that may use fonts.
QFont FontFromLogFont(const LOGFONT &lf);

// The reverse, for a font picked in a font dialog: a character height in
// pixels (points at 96 dots per inch), weight, styles and the family name.
LOGFONT LogFontFromFont(const QFont &font);

// The face name of a LOGFONT: its UTF-8 bytes up to the first NUL.
QString LogFontFaceName(const LOGFONT &lf);
// Stores a face name, cut at a character boundary to fit 31 bytes and a NUL.
void SetLogFontFaceName(LOGFONT &lf, const QString &face);
