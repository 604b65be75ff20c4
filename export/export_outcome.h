// export/export_outcome.h
#pragma once

#include <cstdint>
#include <string>

// What becomes of one picture of a run: what the check before a run
// foresees, and what the run then did.
enum class OutputAction {
    New,             // written where no file was
    Replace,         // written over an existing file
    ReplaceOriginal, // written over one of the run's own source pictures
    NameClash,       // not written: an earlier picture of the run took the name
    Unreadable,      // not written: the source cannot be read
    NoName,          // not written: every counter name is taken
    Kept,            // not written: the existing file was kept by the user's answer
    NotSaved,        // not written for another reason (the summary says which)
};

// One line of the list: the source as listed, the output file's name, the
// size it is written at (pixels, after the turn and the resize; 0 when
// unknown) and its format (the extension without its dot).
struct ExportOutcome
{
    std::string source;
    std::string output;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::string format;
    OutputAction action = OutputAction::New;
    std::string colour; // "Display P3 -> sRGB" when the picture is converted; else empty
};

// "new", "replace", "replace original", ...
const char *outputActionText(OutputAction action);
// "[a.jpg]\t[a.PNG]\t800 x 600\tPNG\tnew": tab-separated, as zelventa-batch
// --dry-run prints it; a sixth field names a colour conversion
// ("\tDisplay P3 -> sRGB") for the pictures that have one.
std::string outcomeLine(const ExportOutcome &outcome);
