// export/export_run.h
#pragma once

#include "export/export_job.h"
#include "export/export_options.h"
#include "export/export_outcome.h"
#include "imagelib/core/image.h"

#include <string>
#include <utility>
#include <vector>

class ExportObserver;

enum class ExportEnd {
    Finished,          // every picture handled; the summary was shown
    Cancelled,         // at the overwrite question or from the progress; summary shown
    Invalid,           // validation failed; nothing stored, nothing written
    FolderUnavailable, // the output folder could not be listed or written into
    NamesExhausted,    // kNamesExhaustedText (export/output_decision.h)
};

// A picture that was not saved, or was saved other than asked.
struct ExportIssue
{
    std::string name;
    std::string text; // "not saved: ..." or "saved at W x H, not resized: ..."
    // What failed when the library could not read, draw or write the picture;
    // None for notes and for pictures left alone by choice or by name clash.
    ZvErrorKind kind = ZvErrorKind::None;
};

struct ExportResult
{
    ExportEnd end = ExportEnd::Finished;
    int saved = 0;
    std::string outputFolder;        // as the summary reports it
    std::string headline;            // the summary line or the message that ended the run
    std::vector<ExportIssue> issues; // in the order of the pictures
    // What became of each picture the run reached, in row order; the same
    // lines the check before a run lists.
    std::vector<ExportOutcome> outcomes;
    std::vector<std::string> damaged; // names of the pictures that decoded only in part
    // For each thing the caption's fields could not say ("no camera make"),
    // the saved pictures it concerns, in order of first appearance.
    std::vector<std::pair<std::string, std::vector<std::string>>> lacking;
    // For each colour space pictures were converted from ("Display P3 ->
    // sRGB"), the saved pictures it concerns, in order of first appearance.
    std::vector<std::pair<std::string, std::vector<std::string>>> converted;
    bool profileNotWritten = false; // the job's profile could not be written
};

// The batch export behind Start: validates the options against the rows
// (a failure is shown and nothing else happens), stores them in the
// profile, then loads, turns, captions, resizes and saves every row in
// order, asking before replacing a file. Ends with
// observer.showMessage(exportMessage(result)).
//
// With more than one job the pictures are loaded, captioned and encoded
// ahead on worker threads (at most jobs + 1 in memory), while this thread
// names, asks, reports and writes them in row order: the names, questions,
// files and summary are those of a run with one job.
//
// A file that exists is only written when the question for it was answered
// Yes (or Yes to all); one of the run's own source pictures has a question
// of its own. A picture that decoded only in part is saved only when the
// user agrees. Saves go through a temporary file renamed into place.
// Output folders are never created: every output folder is tried for
// writing before the first picture, and one that fails (missing, not
// listable, not writable), then or during the run, ends the run at once
// with a message. Stopping while a picture is made (observer.idle) abandons
// the pictures being made and writes nothing more.
ExportResult RunExport(const ExportJob &job, ExportObserver &observer);

// The message that ends a run of these options and rows before its first
// picture because an output folder cannot be written into, or "".
std::string unwritableOutput(const ExportOptions &options, const std::vector<ExportRow> &rows);

// "%d files saved to [%s]!"
std::string exportSummary(int saved, const std::string &folder);
// "no camera make: a.png, b.png": one line per entry of result.lacking,
// naming a few pictures and counting the rest.
std::vector<std::string> lackingLines(const ExportResult &result);
// "Display P3 -> sRGB: a.heic, b.heic": the same for result.converted.
std::vector<std::string> convertedLines(const ExportResult &result);
// "Display P3 -> sRGB", as the summary and the check list word a conversion.
std::string colourConversionText(const std::string &from);
// The headline followed by one "[name] text" line per issue, then the
// lackingLines and the convertedLines.
std::string exportMessage(const ExportResult &result);
