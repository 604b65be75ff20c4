// controls/markup_reader.h
#pragma once

#include <QString>

#include <vector>

// The tags of the tooltip markup. Names match without regard to case.
enum class MarkupTag {
    Bold,        // b
    Italic,      // i
    Underline,   // u
    Strike,      // s
    Break,       // br: value = lines to advance (0 counts as 1)
    Tab,         // t: value = tab stops to advance
    Color,       // ct: text colour as 0xRRGGBB
    ColorIndex,  // cti: text colour from the colour table
    Back,        // cb: opaque background colour as 0xRRGGBB
    BackIndex,   // cbi: background colour from the colour table
    AlignLeft,   // al, al_l
    AlignCenter, // al_c
    AlignRight,  // al_r
    Rule,        // hr: width in pixels, or in percent of the text width
};

// One piece of a markup text: a run of plain text, or a tag.
struct MarkupItem
{
    bool isTag = false;
    QString text; // the run, for a text item
    MarkupTag tag = MarkupTag::Bold;
    bool closing = false;  // "</b>"
    bool hasValue = false; // an empty value keeps the tag's default
    long value = 0;        // read with base detection: "0x" is hexadecimal
    bool percent = false;  // the value ended with "%"
};

// Reads a markup text character by character: text, tag name, skipped tag,
// after the name and value. A tab reads as <t>, a line feed as <br>, a
// carriage return is dropped and "<<" is a literal "<". Tags not in the
// table are skipped up to their ">"; a tag left open at the end is dropped.
// Pure logic, any thread.
std::vector<MarkupItem> readMarkup(const QString &markup);
