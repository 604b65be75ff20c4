// export/export_run.cpp
#include "export/export_run.h"

#include "export/encoded_picture.h"
#include "export/export_observer.h"
#include "export/folder_checks.h"
#include "export/output_decision.h"
#include "export/output_path.h"
#include "export/path_keys.h"
#include "export/picture_pipeline.h"
#include "imagelib/core/image.h"
#include "platform/profile_store.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <set>

namespace {

std::string cannotWrite(const std::string &folder, const std::string &problem)
{
    return "Cannot write into the output folder [" + folder + "]: " + problem;
}

// An answer with the "all" answers of one kind of question remembered:
// once given, later questions of that kind are not asked again.
class Remembered
{
  public:
    template <class Ask> OverwriteAnswer answer(Ask ask)
    {
        if (mAll)
            return *mAll;
        const OverwriteAnswer given = ask();
        if (given == OverwriteAnswer::YesToAll || given == OverwriteAnswer::NoToAll) {
            mAll = given == OverwriteAnswer::YesToAll ? OverwriteAnswer::Yes : OverwriteAnswer::No;
            return *mAll;
        }
        return given;
    }

  private:
    std::optional<OverwriteAnswer> mAll;
};

class ExportRunner
{
  public:
    ExportRunner(const ExportJob &job, ExportObserver &observer)
        : mJob(job)
        , mObserver(observer)
        , mOptions(job.options)
        , mDecider(job, OutputDecider::Listing::EveryName)
    {
        mResult.outputFolder =
            mOptions.FolderMode == ExportFolderMode::OutputFolder ? mOptions.OutputFolder : std::string();
    }

    ExportResult run();

  private:
    enum class Step { Next, Skip, Stop }; // Skip: on to the next picture without saving this one

    bool start();
    Step exportOne(std::size_t row, PicturePipeline &pipeline);
    bool chooseOutput(std::size_t index, const OutputFormat &format, OutputPath &out);
    Step agreeToDamage(const ExportRow &row, const EncodedPicture &picture);
    Step save(const ExportRow &row, const EncodedPicture &picture, const OutputPath &out);
    EncodedPicture make(const ExportOptions &options, std::size_t row, long long counter) const;
    long long counterFor(std::size_t row) const;
    void predictCounters();
    void noteLacking(const ExportRow &row, const EncodedPicture &picture);
    bool idle();
    void endWith(ExportEnd end, std::string headline);
    void issue(const ExportRow &row, std::string text, ZvErrorKind kind = ZvErrorKind::None)
    {
        mResult.issues.push_back({row.name, std::move(text), kind});
    }

    const ExportJob &mJob;
    ExportObserver &mObserver;
    ExportOptions mOptions;
    ExportResult mResult;
    ExportOutcome mLine; // of the picture in hand
    OutputDecider mDecider;
    PathKeys mKeys;
    Remembered mOverwrite, mOriginal, mDamaged;
    std::atomic<std::int32_t> mStop{0};
    bool mStopRequested = false;
    // Whether the caption shows the running number, and the numbers the
    // counter names are expected to take (see predictCounters).
    bool mShowsCounter = false;
    std::vector<long long> mPredicted;
};

bool ExportRunner::start()
{
    const std::string invalid = mOptions.Validate(validationCount(mJob.rows.size()));
    if (!invalid.empty()) {
        endWith(ExportEnd::Invalid, invalid);
        mObserver.showMessage(invalid);
        return false;
    }
    // A profile that cannot be written does not stop the run.
    if (mJob.profile)
        mResult.profileNotWritten = !mOptions.Save(*mJob.profile);
    const std::string unwritable = unwritableOutput(mOptions, mJob.rows);
    if (!unwritable.empty()) {
        endWith(ExportEnd::FolderUnavailable, unwritable);
        mObserver.showMessage(unwritable);
        return false;
    }
    mShowsCounter = mJob.caption && mJob.caption->text.contains(QLatin1String("%{counter"));
    predictCounters();
    return true;
}

// Counter names take the lowest free number when the run writes them, long
// after the workers stamped the caption. The numbers are foreseen from one
// listing of the folder as if every picture were saved; a picture whose name
// then carries another number is made again with it.
void ExportRunner::predictCounters()
{
    if (!mShowsCounter || !mOptions.countsNames() || !mJob.listRows.empty())
        return;
    std::set<std::string> taken;
    std::string problem;
    if (!listFolderNames(mOptions.OutputFolder, taken, problem))
        return;
    for (const ExportRow &row : mJob.rows) {
        const std::string extension = outputFormatFor(mOptions.Format, row.name, row.path).extension;
        long long n = 0;
        while (n <= kMaxCounter && taken.count(foldedName(counterName(mOptions.Prefix, n, extension))))
            ++n;
        mPredicted.push_back(n <= kMaxCounter ? n : -1);
        taken.insert(foldedName(counterName(mOptions.Prefix, n, extension)));
    }
}

// The counter name's number when names are counted, else the picture's
// place in the run (in the whole list for a share of one), from 1.
long long ExportRunner::counterFor(std::size_t row) const
{
    const bool counted = mOptions.countsNames();
    if (row < mJob.listRows.size())
        return mJob.listRows[row] + (counted ? 0 : 1);
    if (counted)
        return row < mPredicted.size() ? mPredicted[row] : -1;
    return (long long)(row) + 1;
}

ExportResult ExportRunner::run()
{
    if (!start())
        return mResult;
    mObserver.setRange(int(mJob.rows.size()));
    mObserver.setText("Export image file:");
    {
        PicturePipeline pipeline(
            mJob.rows.size(), mJob.jobs > 0 ? mJob.jobs : PicturePipeline::defaultJobs(), mOptions,
            [this](const ExportOptions &o, std::size_t row) { return make(o, row, counterFor(row)); },
            &mStop);
        for (std::size_t row = 0; row < mJob.rows.size(); ++row) {
            if (exportOne(row, pipeline) == Step::Stop)
                break;
            if (mObserver.isCancelled()) {
                mResult.end = ExportEnd::Cancelled;
                break;
            }
            mObserver.step();
        }
        // Pictures made ahead of a run that ended early are stopped, not written.
        pipeline.stop([this] { return idle(); });
    }
    if (mResult.end == ExportEnd::Finished || mResult.end == ExportEnd::Cancelled) {
        mResult.headline = exportSummary(mResult.saved, mResult.outputFolder);
        mObserver.showSummary(exportMessage(mResult), mResult.outputFolder);
    } else {
        mObserver.showMessage(exportMessage(mResult));
    }
    return mResult;
}

bool ExportRunner::idle()
{
    if (mObserver.idle())
        mStopRequested = true;
    return mStopRequested;
}

// On a worker thread: reads only the job and the options it is given.
EncodedPicture ExportRunner::make(const ExportOptions &options, std::size_t row, long long counter) const
{
    const ExportRow &r = mJob.rows[row];
    PictureWork work{options, mJob.caption ? &*mJob.caption : nullptr, mJob.reducedJpegDecode};
    work.stop = &mStop;
    work.counter = counter;
    return encodePicture(work, r.path, r.rotation, outputFormatFor(options.Format, r.name, r.path));
}

ExportRunner::Step ExportRunner::exportOne(std::size_t index, PicturePipeline &pipeline)
{
    const ExportRow &row = mJob.rows[index];
    mObserver.updateOptions(mOptions);
    mObserver.setText("Export image file:\r\n[" + row.name + "]");
    const OutputFormat format = outputFormatFor(mOptions.Format, row.name, row.path);
    mResult.outputFolder = mDecider.folderFor(row);
    OutputPath out;
    if (!chooseOutput(index, format, out))
        return Step::Stop;
    mObserver.setText("Export image file:\r\n[" + row.name + "] as [" + out.shown + "]");
    mLine = ExportOutcome{row.name, out.shown, 0, 0, format.extension.substr(1), OutputAction::NotSaved, {}};
    // Two pictures aimed at one name (a.bmp and a.tif both as a.JPG): the
    // first stays, the second would replace it.
    if (const std::string *earlier = mDecider.clash(out.path)) {
        pipeline.pass(index);
        mLine.action = OutputAction::NameClash;
        mResult.outcomes.push_back(mLine);
        issue(row, "not saved: [" + out.shown + "] was already saved from [" + *earlier + "] in this run");
        return Step::Next;
    }

    EncodedPicture picture = pipeline.take(index, mOptions, [this] { return idle(); });
    if (mShowsCounter && out.counter >= 0 && picture.counter != out.counter &&
        picture.stage != EncodedPicture::Stage::Refused && !mStopRequested)
        picture = make(mOptions, index, out.counter);
    if (picture.kind == ZvErrorKind::Cancelled || mStopRequested) {
        // Stopped while the picture was made: nothing more is written.
        mResult.end = ExportEnd::Cancelled;
        return Step::Stop;
    }
    if (!picture.note.empty())
        issue(row, picture.note);
    if (picture.stage == EncodedPicture::Stage::Refused) {
        mLine.action = refusedAction(picture.kind);
        mResult.outcomes.push_back(mLine);
        issue(row, "not saved: " + picture.problem, picture.kind);
        return Step::Next;
    }
    mLine.width = picture.width;
    mLine.height = picture.height;
    const int savedBefore = mResult.saved;
    Step next = agreeToDamage(row, picture);
    if (next == Step::Next)
        next = save(row, picture, out);
    if (next == Step::Skip)
        next = Step::Next;
    if (next == Step::Next)
        mResult.outcomes.push_back(mLine);
    if (mResult.saved > savedBefore) {
        if (!picture.damage.empty())
            issue(row, "saved although damaged: " + picture.damage, ZvErrorKind::BadData);
        for (const std::string &note : picture.infoNotes)
            issue(row, note);
        noteLacking(row, picture);
        // A later row read from the file just written must see the new one.
        const std::string written = mKeys.key(out.path);
        pipeline.remake([&](std::size_t later) { return mKeys.key(mJob.rows[later].path) == written; });
    }
    return next;
}

namespace {

void addNamed(std::vector<std::pair<std::string, std::vector<std::string>>> &entries, const std::string &what,
              const std::string &name)
{
    auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto &e) { return e.first == what; });
    if (entry == entries.end())
        entry = entries.insert(entries.end(), {what, {}});
    entry->second.push_back(name);
}

// A summary that stays readable for a batch of thousands.
std::vector<std::string>
namedLines(const std::vector<std::pair<std::string, std::vector<std::string>>> &entries)
{
    constexpr std::size_t kNamed = 5;
    std::vector<std::string> lines;
    for (const auto &[what, names] : entries) {
        std::string line = what + ": ";
        for (std::size_t i = 0; i < names.size() && i < kNamed; ++i)
            line += (i ? ", " : "") + names[i];
        if (names.size() > kNamed)
            line += " and " + std::to_string(names.size() - kNamed) + " more";
        lines.push_back(line);
    }
    return lines;
}

} // namespace

void ExportRunner::noteLacking(const ExportRow &row, const EncodedPicture &picture)
{
    for (const std::string &what : picture.lacking)
        addNamed(mResult.lacking, what, row.name);
    if (!picture.convertedFrom.empty())
        addNamed(mResult.converted, colourConversionText(picture.convertedFrom), row.name);
}

// A picture that decoded only in part is saved only when the user agrees;
// either way the summary names it.
ExportRunner::Step ExportRunner::agreeToDamage(const ExportRow &row, const EncodedPicture &picture)
{
    if (picture.damage.empty())
        return Step::Next;
    mResult.damaged.push_back(row.name);
    const OverwriteAnswer answer =
        mDamaged.answer([&] { return mObserver.askSaveDamaged(row.name, picture.damage); });
    if (answer == OverwriteAnswer::Cancel) {
        mResult.end = ExportEnd::Cancelled;
        return Step::Stop;
    }
    if (answer == OverwriteAnswer::No) {
        issue(row, "not saved: damaged: " + picture.damage, ZvErrorKind::BadData);
        return Step::Skip;
    }
    return Step::Next;
}

bool ExportRunner::chooseOutput(std::size_t index, const OutputFormat &format, OutputPath &out)
{
    const std::string &folder = mResult.outputFolder;
    if (mOptions.FolderMode == ExportFolderMode::OutputFolder) {
        const std::string problem = folderProblem(folder);
        if (!problem.empty()) {
            endWith(ExportEnd::FolderUnavailable, cannotWrite(folder, problem));
            return false;
        }
    }
    out = mDecider.name(index, format);
    if (out.status != OutputPath::Status::Ok)
        endWith(out.status == OutputPath::Status::NamesExhausted ? ExportEnd::NamesExhausted
                                                                 : ExportEnd::FolderUnavailable,
                OutputDecider::problem(out, folder));
    return out.status == OutputPath::Status::Ok;
}

ExportRunner::Step ExportRunner::save(const ExportRow &row, const EncodedPicture &picture,
                                      const OutputPath &out)
{
    const OutputAction action = mDecider.action(out.path);
    if (action != OutputAction::New) {
        const bool original = action == OutputAction::ReplaceOriginal;
        const OverwriteAnswer answer =
            original ? mOriginal.answer([&] { return mObserver.askReplaceOriginal(out.path); })
                     : mOverwrite.answer([&] { return mObserver.askOverwrite(out.path); });
        if (answer == OverwriteAnswer::Cancel) {
            mResult.end = ExportEnd::Cancelled;
            return Step::Stop;
        }
        if (answer == OverwriteAnswer::No) {
            mLine.action = OutputAction::Kept;
            issue(row,
                  "not saved: [" + out.shown + "] already exists" +
                      (original ? " and is one of the original photographs; it was kept" : " and was kept"));
            return Step::Next;
        }
    }
    if (picture.stage == EncodedPicture::Stage::EncodeFailed) {
        issue(row, "not saved: " + picture.problem, picture.kind);
        return Step::Next;
    }
    std::string problem;
    ZvErrorKind kind = ZvErrorKind::Io;
    if (ZvWriteFile(out.path.c_str(), picture.file.data(), picture.file.size(), problem, kind)) {
        ++mResult.saved;
        mLine.action = action;
        mDecider.wrote(out, row.name);
        return Step::Next;
    }
    // A folder that can no longer be written into fails every later
    // picture the same way: one message instead of one per picture.
    const std::string folder =
        mOptions.FolderMode == ExportFolderMode::OutputFolder ? mOptions.OutputFolder : folderOf(out.path);
    const std::string unwritable = writeProblem(folder);
    if (!unwritable.empty()) {
        endWith(ExportEnd::FolderUnavailable, cannotWrite(folder, unwritable) + " (" +
                                                  std::to_string(mResult.saved) +
                                                  " files were saved before)");
        return Step::Stop;
    }
    issue(row, "not saved: " + (problem.empty() ? "cannot write " + out.path : problem),
          kind == ZvErrorKind::None ? ZvErrorKind::Io : kind);
    return Step::Next;
}

void ExportRunner::endWith(ExportEnd end, std::string headline)
{
    mResult.end = end;
    mResult.headline = std::move(headline);
}

} // namespace

ExportResult RunExport(const ExportJob &job, ExportObserver &observer)
{
    return ExportRunner(job, observer).run();
}

std::string unwritableOutput(const ExportOptions &options, const std::vector<ExportRow> &rows)
{
    std::set<std::string> folders;
    if (options.FolderMode == ExportFolderMode::OutputFolder) {
        folders.insert(options.OutputFolder);
    } else {
        // A source folder that is gone leaves its pictures unreadable, not the run stopped.
        for (const ExportRow &row : rows) {
            if (folderProblem(folderOf(row.path)).empty())
                folders.insert(folderOf(row.path));
        }
    }
    for (const std::string &folder : folders) {
        const std::string problem = writeProblem(folder);
        if (!problem.empty())
            return cannotWrite(folder, problem);
    }
    return {};
}

std::string exportSummary(int saved, const std::string &folder)
{
    return std::to_string(saved) + " files saved to [" + folder + "]!";
}

std::vector<std::string> lackingLines(const ExportResult &result)
{
    return namedLines(result.lacking);
}

std::vector<std::string> convertedLines(const ExportResult &result)
{
    return namedLines(result.converted);
}

std::string colourConversionText(const std::string &from)
{
    return from + " -> sRGB";
}

std::string exportMessage(const ExportResult &result)
{
    std::string text = result.headline;
    for (const ExportIssue &issue : result.issues)
        text += "\n[" + issue.name + "] " + issue.text;
    for (const std::string &line : lackingLines(result))
        text += "\n" + line;
    for (const std::string &line : convertedLines(result))
        text += "\n" + line;
    return text;
}
