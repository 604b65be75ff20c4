// export/output_decision.h
#pragma once

#include "export/export_outcome.h"
#include "export/output_path.h"
#include "export/path_keys.h"
#include "imagelib/core/image.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>

struct ExportJob;
struct ExportRow;

// The message that ends a run, and the check before one, when every counter name is taken.
extern const char kNamesExhaustedText[];
// The count ExportOptions::Validate is given for a list of rows many rows
// (clamped, so that no list size wraps to a count of none).
int validationCount(std::size_t rows);

// How one job names and classifies its outputs: the run and the check
// before a run ask it the same questions in row order, so they name and
// classify alike. One thread; the job must outlive it.
class OutputDecider
{
  public:
    // How counter names find the lowest free number: the run lists the folder
    // for every name (gaps left by anything are filled first); the check lists
    // it once and counts the names it has given as taken.
    enum class Listing { EveryName, Once };
    OutputDecider(const ExportJob &job, Listing listing);

    // The folder the picture of row goes into, as the options choose it.
    std::string folderFor(const ExportRow &row) const;
    // The output of row index: in a share of a longer list a counter name
    // carries the row's place in the whole list; otherwise MakeOutputPath's
    // rule. status tells when the folder cannot be listed or no name is free.
    OutputPath name(std::size_t index, const OutputFormat &format);
    // "" when out is Ok; else the message that ends the run.
    static std::string problem(const OutputPath &out, const std::string &folder);

    // The earlier picture of the run whose output is path, or nullptr.
    const std::string *clash(const std::string &path);
    // Writing to path now: New where nothing is, ReplaceOriginal over one of
    // the job's own pictures, else Replace.
    OutputAction action(const std::string &path);
    // The picture source was (or is foreseen to be) written to out: later
    // pictures aimed there clash, and the check counts its name as taken.
    void wrote(const OutputPath &out, const std::string &source);

  private:
    // Counter names of one folder as the check sees them.
    struct CounterFolder
    {
        std::set<std::string> taken; // folded
        int lowest = 0;
    };
    OutputPath counterFromListing(const std::string &folder, const OutputFormat &format);

    const ExportJob &mJob;
    Listing mListing;
    PathKeys mKeys;
    std::set<std::string> mSources;              // path keys of the job's own pictures
    std::map<std::string, std::string> mWritten; // path key -> the picture written there
    std::map<std::string, CounterFolder> mCounters;
};

// Unreadable for a picture refused for want of a readable source (missing,
// damaged beyond reading, of no known type, failing to read); else NotSaved.
OutputAction refusedAction(ZvErrorKind kind);
