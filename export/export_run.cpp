// export/export_run.cpp
#include "export/export_run.h"

#include "export/encoded_picture.h"
#include "export/export_observer.h"
#include "export/output_path.h"
#include "export/picture_pipeline.h"
#include "imagelib/core/image.h"
#include "platform/profile_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

namespace {

// "" when folder is an existing folder, else why not.
std::string folderProblem(const std::string &folder)
{
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(folder, ec);
    if (st.type() == std::filesystem::file_type::not_found)
        return std::strerror(ENOENT);
    if (ec)
        return ec.message();
    return std::filesystem::is_directory(st) ? std::string() : std::strerror(ENOTDIR);
}

// Also a dangling link counts: saving would replace it.
bool fileExists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

// One key for every spelling of a path ("out/a.JPG", "out//./a.JPG").
std::string pathKey(const std::string &path)
{
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? std::filesystem::path(path).lexically_normal().string() : canonical.string();
}

class ExportRunner
{
  public:
    ExportRunner(const ExportJob &job, ExportObserver &observer)
        : mJob(job)
        , mObserver(observer)
        , mOptions(job.options)
    {
        mResult.outputFolder = mOptions.FolderMode == 1 ? mOptions.OutputFolder : std::string();
    }

    ExportResult run();

  private:
    enum class Step { Next, Stop };

    Step exportOne(std::size_t row, PicturePipeline &pipeline);
    bool chooseOutput(std::size_t index, const OutputFormat &format, OutputPath &out);
    Step save(const ExportRow &row, const EncodedPicture &picture, const OutputPath &out);
    EncodedPicture make(const ExportOptions &options, std::size_t row) const;
    void endWith(ExportEnd end, std::string headline);
    void issue(const ExportRow &row, std::string text, ZvErrorKind kind = ZvErrorKind::None)
    {
        mResult.issues.push_back({row.name, std::move(text), kind});
    }

    const ExportJob &mJob;
    ExportObserver &mObserver;
    ExportOptions mOptions;
    ExportResult mResult;
    std::map<std::string, std::string> mWritten; // path key -> the name of the picture saved there
};

ExportResult ExportRunner::run()
{
    const std::string invalid = mOptions.Validate(int(std::min<std::size_t>(mJob.rows.size(), INT32_MAX)));
    if (!invalid.empty()) {
        endWith(ExportEnd::Invalid, invalid);
        mObserver.showMessage(invalid);
        return mResult;
    }
    // A profile that cannot be written does not stop the run.
    if (mJob.profile)
        mResult.profileNotWritten = !mOptions.Save(*mJob.profile);
    mObserver.setRange(int(mJob.rows.size()));
    mObserver.setText("Export image file:");
    {
        PicturePipeline pipeline(mJob.rows.size(), mJob.jobs > 0 ? mJob.jobs : PicturePipeline::defaultJobs(),
                                 mOptions,
                                 [this](const ExportOptions &o, std::size_t row) { return make(o, row); });
        for (std::size_t row = 0; row < mJob.rows.size(); ++row) {
            if (exportOne(row, pipeline) == Step::Stop)
                break;
            if (mObserver.isCancelled()) {
                mResult.end = ExportEnd::Cancelled;
                break;
            }
            mObserver.step();
        }
        // Pictures made ahead of a run that ended early are waited for, not written.
        pipeline.stop([this] { mObserver.idle(); });
    }
    if (mResult.end == ExportEnd::Finished || mResult.end == ExportEnd::Cancelled)
        mResult.headline = exportSummary(mResult.saved, mResult.outputFolder);
    mObserver.showMessage(exportMessage(mResult));
    return mResult;
}

// On a worker thread: reads only the job and the options it is given.
EncodedPicture ExportRunner::make(const ExportOptions &options, std::size_t row) const
{
    const ExportRow &r = mJob.rows[row];
    const PictureWork work{options, mJob.caption ? &*mJob.caption : nullptr, mJob.reducedJpegDecode};
    return encodePicture(work, r.path, r.rotation, outputFormatFor(options.Format, r.name, r.path));
}

ExportRunner::Step ExportRunner::exportOne(std::size_t index, PicturePipeline &pipeline)
{
    const ExportRow &row = mJob.rows[index];
    mObserver.updateOptions(mOptions);
    mObserver.setText("Export image file:\r\n[" + row.name + "]");
    const OutputFormat format = outputFormatFor(mOptions.Format, row.name, row.path);
    mResult.outputFolder = mOptions.FolderMode == 1 ? mOptions.OutputFolder : folderOf(row.path);
    OutputPath out;
    if (!chooseOutput(index, format, out))
        return Step::Stop;
    mObserver.setText("Export image file:\r\n[" + row.name + "] as [" + out.shown + "]");
    // Two pictures aimed at one name (a.bmp and a.tif both as a.JPG): the
    // first stays, the second would replace it.
    const auto earlier = mWritten.find(pathKey(out.path));
    if (earlier != mWritten.end()) {
        pipeline.pass(index);
        issue(row,
              "not saved: [" + out.shown + "] was already saved from [" + earlier->second + "] in this run");
        return Step::Next;
    }

    const EncodedPicture picture = pipeline.take(index, mOptions, [this] { mObserver.idle(); });
    if (!picture.note.empty())
        issue(row, picture.note);
    if (picture.stage == EncodedPicture::Stage::Refused) {
        issue(row, "not saved: " + picture.problem, picture.kind);
        return Step::Next;
    }
    const int savedBefore = mResult.saved;
    const Step next = save(row, picture, out);
    if (mResult.saved > savedBefore) {
        for (const std::string &note : picture.infoNotes)
            issue(row, note);
        // A later row read from the file just written must see the new one.
        const std::string written = pathKey(out.path);
        pipeline.remake([&](std::size_t later) { return pathKey(mJob.rows[later].path) == written; });
    }
    return next;
}

bool ExportRunner::chooseOutput(std::size_t index, const OutputFormat &format, OutputPath &out)
{
    const ExportRow &row = mJob.rows[index];
    const std::string &folder = mResult.outputFolder;
    if (mOptions.FolderMode == 1) {
        const std::string problem = folderProblem(folder);
        if (!problem.empty()) {
            endWith(ExportEnd::FolderUnavailable,
                    "Cannot write into the output folder [" + folder + "]: " + problem);
            return false;
        }
    }
    if (index < mJob.listRows.size() && mOptions.FolderMode == 1 && mOptions.NameMode == 1)
        out = MakeCounterPath(mOptions, folder, mJob.listRows[index], format);
    else
        out = MakeOutputPath(mOptions, folder, row.name, row.path, format);
    if (out.status == OutputPath::Status::FolderUnlistable)
        endWith(ExportEnd::FolderUnavailable,
                "Cannot list the output folder [" + folder + "]: " + out.problem);
    else if (out.status == OutputPath::Status::NamesExhausted)
        endWith(ExportEnd::NamesExhausted, "Could't save image file!");
    return out.status == OutputPath::Status::Ok;
}

ExportRunner::Step ExportRunner::save(const ExportRow &row, const EncodedPicture &picture,
                                      const OutputPath &out)
{
    if (fileExists(out.path)) {
        const OverwriteAnswer answer = mObserver.askOverwrite(out.path);
        if (answer == OverwriteAnswer::No) {
            issue(row, "not saved: [" + out.shown + "] already exists and was kept");
            return Step::Next;
        }
        if (answer == OverwriteAnswer::Cancel) {
            mResult.end = ExportEnd::Cancelled;
            return Step::Stop;
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
        mWritten.emplace(pathKey(out.path), row.name);
        return Step::Next;
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

std::string exportSummary(int saved, const std::string &folder)
{
    return std::to_string(saved) + " files saved to [" + folder + "]!";
}

std::string exportMessage(const ExportResult &result)
{
    std::string text = result.headline;
    for (const ExportIssue &issue : result.issues)
        text += "\n[" + issue.name + "] " + issue.text;
    return text;
}
