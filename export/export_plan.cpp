// export/export_plan.cpp
#include "export/export_plan.h"

#include "export/export_picture.h"
#include "export/folder_checks.h"
#include "export/output_decision.h"
#include "export/output_path.h"
#include "export/target_size.h"
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/image.h"
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/io_file.h"

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

class Planner
{
  public:
    explicit Planner(const ExportJob &job)
        : mJob(job)
        , mOptions(job.options)
        , mDecider(job, OutputDecider::Listing::Once)
    {
    }

    ExportPlan run();

  private:
    void classify(const ExportRow &row, const OutputPath &out, ExportOutcome &line);

    const ExportJob &mJob;
    const ExportOptions &mOptions;
    ExportPlan mPlan;
    OutputDecider mDecider;
};

ExportPlan Planner::run()
{
    mPlan.problem = mOptions.Validate(validationCount(mJob.rows.size()));
    if (mPlan.problem.empty())
        mPlan.problem = unwritableOutput(mOptions, mJob.rows);
    for (std::size_t i = 0; mPlan.problem.empty() && i < mJob.rows.size(); ++i) {
        const ExportRow &row = mJob.rows[i];
        const OutputFormat format = outputFormatFor(mOptions.Format, row.name, row.path);
        const OutputPath out = mDecider.name(i, format);
        mPlan.problem = OutputDecider::problem(out, mDecider.folderFor(row));
        if (out.status == OutputPath::Status::NamesExhausted)
            mPlan.lines.push_back({row.name, "", 0, 0, format.extension.substr(1), OutputAction::NoName, {}});
        if (out.status != OutputPath::Status::Ok)
            break;
        ExportOutcome line;
        line.source = row.name;
        line.output = out.shown;
        line.format = format.extension.empty() ? std::string() : format.extension.substr(1);
        classify(row, out, line);
        mPlan.lines.push_back(std::move(line));
    }
    return std::move(mPlan);
}

void Planner::classify(const ExportRow &row, const OutputPath &out, ExportOutcome &line)
{
    HeaderFacts facts;
    if (mDecider.clash(out.path)) {
        line.action = OutputAction::NameClash;
    } else if (!headerSize(row.path, line.width, line.height, facts)) {
        line.width = line.height = 0;
        line.action = OutputAction::Unreadable;
    } else {
        outputSize(mOptions, row, facts.orientation, line);
        const std::string from = zvColourConvertsFrom(facts.colour.get());
        if (!from.empty() && !keepsPictureColours(mOptions, row.path))
            line.colour = colourConversionText(from);
        line.action = mDecider.action(out.path);
        mDecider.wrote(out, row.name);
    }
}

} // namespace

ExportPlan planExport(const ExportJob &job)
{
    return Planner(job).run();
}
