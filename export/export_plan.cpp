// export/export_plan.cpp
#include "export/export_plan.h"

#include "export/export_picture.h"
#include "export/folder_checks.h"
#include "export/output_path.h"
#include "export/path_keys.h"
#include "export/target_size.h"
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/image.h"
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/io_file.h"

#include <map>
#include <set>

namespace {

// What a picture's header says: its size as stored, its orientation and
// its colour space.
struct HeaderFacts
{
    int orientation = 0;
    ZvColourSpacePtr colour;
};

// The picture's header; the content decides when the name's type does not
// read, as it does for the run.
bool headerSize(const std::string &path, std::int64_t &width, std::int64_t &height, HeaderFacts &facts)
{
    ZvIOFile file;
    if (!file.Open(path.c_str(), "rb"))
        return false;
    ZvImage header;
    const std::uint32_t type = ImageTypeFromName(path);
    bool ok = type != ZV_TYPE_UNKNOWN && header.DecodeHeader(&file, type);
    if (!ok && header.GetErrorKind() != ZvErrorKind::Io) {
        file.Seek(0, SEEK_FROM_START);
        ok = header.DecodeHeader(&file, ZV_TYPE_UNKNOWN);
    }
    width = ok ? header.GetWidth() : 0;
    height = ok ? header.GetHeight() : 0;
    facts.orientation = ok ? header.GetOrientation() : 0;
    facts.colour = ok ? header.GetColourSpacePtr() : nullptr;
    return ok && width > 0 && height > 0;
}

// The size the run writes a picture of this stored size at.
void outputSize(const ExportOptions &o, const ExportRow &row, int orientation, ExportOutcome &line)
{
    // The camera's orientation, then the user's turn, as the run turns it.
    const int turn = zvOrientationWithTurn(o.AutoOrient ? orientation : 1, row.rotation);
    if (zvOrientationSwapsSides(turn))
        std::swap(line.width, line.height);
    if (!o.ResizeImage)
        return;
    const TargetSize target = ComputeTargetSize(o, line.width, line.height);
    if (targetSizeProblem(target).empty()) {
        line.width = target.width;
        line.height = target.height;
    }
}

// Counter names of one folder: listed once; names the plan gives are added,
// so the lowest free number only grows.
struct CounterFolder
{
    std::set<std::string> taken; // folded
    int lowest = 0;
};

class Planner
{
  public:
    explicit Planner(const ExportJob &job)
        : mJob(job)
        , mOptions(job.options)
    {
        for (const ExportRow &row : job.rows)
            mSources.insert(mKeys.key(row.path));
    }

    ExportPlan run();

  private:
    bool name(const ExportRow &row, const OutputFormat &format, OutputPath &out);
    void take(const ExportOutcome &line, const OutputPath &out);

    const ExportJob &mJob;
    const ExportOptions &mOptions;
    ExportPlan mPlan;
    PathKeys mKeys;
    std::set<std::string> mSources;
    std::set<std::string> mWritten; // path keys
    std::map<std::string, CounterFolder> mCounters;
};

ExportPlan Planner::run()
{
    mPlan.problem = mOptions.Validate(int(std::min<std::size_t>(mJob.rows.size(), 1u << 30)));
    if (mPlan.problem.empty())
        mPlan.problem = unwritableOutput(mOptions, mJob.rows);
    for (std::size_t i = 0; mPlan.problem.empty() && i < mJob.rows.size(); ++i) {
        const ExportRow &row = mJob.rows[i];
        const OutputFormat format = outputFormatFor(mOptions.Format, row.name, row.path);
        OutputPath out;
        // A shard's counter is the row's place in the whole list, as the run names it.
        if (i < mJob.listRows.size() && mOptions.countsNames())
            out = MakeCounterPath(mOptions, mOptions.OutputFolder, mJob.listRows[i], format);
        else if (!name(row, format, out))
            break;
        ExportOutcome line;
        line.source = row.name;
        line.output = out.shown;
        line.format = format.extension.empty() ? std::string() : format.extension.substr(1);
        const std::string key = mKeys.key(out.path);
        HeaderFacts facts;
        if (mWritten.count(key)) {
            line.action = OutputAction::NameClash;
        } else if (!headerSize(row.path, line.width, line.height, facts)) {
            line.width = line.height = 0;
            line.action = OutputAction::Unreadable;
        } else {
            outputSize(mOptions, row, facts.orientation, line);
            const std::string from = zvColourConvertsFrom(facts.colour.get());
            if (!from.empty() && !keepsPictureColours(mOptions, row.path))
                line.colour = colourConversionText(from);
            line.action = !fileExists(out.path) ? OutputAction::New
                          : mSources.count(key) ? OutputAction::ReplaceOriginal
                                                : OutputAction::Replace;
            take(line, out);
        }
        mPlan.lines.push_back(std::move(line));
    }
    return std::move(mPlan);
}

// As MakeOutputPath names it for the run, counter names from one listing.
bool Planner::name(const ExportRow &row, const OutputFormat &format, OutputPath &out)
{
    const std::string folder =
        mOptions.FolderMode == ExportFolderMode::OutputFolder ? mOptions.OutputFolder : folderOf(row.path);
    if (!mOptions.countsNames()) {
        out = MakeOutputPath(mOptions, folder, row.name, row.path, format);
        return true;
    }
    auto [it, fresh] = mCounters.try_emplace(folder);
    CounterFolder &counter = it->second;
    std::string problem;
    if (fresh && !listFolderNames(folder, counter.taken, problem)) {
        mPlan.problem = "Cannot list the output folder [" + folder + "]: " + problem;
        return false;
    }
    for (int n = counter.lowest; n <= kMaxCounter; ++n) {
        const std::string candidate = counterName(mOptions.Prefix, n, format.extension);
        if (!counter.taken.count(foldedName(candidate))) {
            counter.lowest = n;
            out.path = joinFolder(folder, candidate);
            out.shown = candidate;
            return true;
        }
    }
    mPlan.lines.push_back({row.name, "", 0, 0, format.extension.substr(1), OutputAction::NoName, {}});
    mPlan.problem = "Could't save image file!";
    return false;
}

void Planner::take(const ExportOutcome &line, const OutputPath &out)
{
    mWritten.insert(mKeys.key(out.path));
    if (mOptions.countsNames())
        mCounters[mOptions.OutputFolder].taken.insert(foldedName(line.output));
}

} // namespace

ExportPlan planExport(const ExportJob &job)
{
    return Planner(job).run();
}
