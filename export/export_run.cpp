// export/export_run.cpp
#include "export/export_run.h"

#include "export/export_observer.h"
#include "export/export_picture.h"
#include "export/format_ready.h"
#include "export/output_path.h"
#include "export/photo_info_export.h"
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
        : mJob(job), mObserver(observer), mOptions(job.options)
    {
        mResult.outputFolder = mOptions.FolderMode == 1 ? mOptions.OutputFolder : std::string();
    }

    ExportResult run();

private:
    enum class Step { Next, Stop };

    Step exportOne(const ExportRow &row);
    bool chooseOutput(const ExportRow &row, const OutputFormat &format, OutputPath &out);
    Step save(const ExportRow &row, ZvImage &picture, const OutputPath &out, const OutputFormat &format);
    void applyFormatSettings(ZvImage &picture, const OutputFormat &format) const;
    void endWith(ExportEnd end, std::string headline);
    void issue(const ExportRow &row, std::string text, ZvErrorKind kind = ZvErrorKind::None)
    {
        mResult.issues.push_back({row.name, std::move(text), kind});
    }

    const ExportJob &mJob;
    ExportObserver &mObserver;
    ExportOptions mOptions;
    ExportResult mResult;
    std::map<std::string, std::string> mWritten;   // path key -> the name of the picture saved there
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
    for (const ExportRow &row : mJob.rows) {
        if (exportOne(row) == Step::Stop)
            break;
        if (mObserver.isCancelled()) {
            mResult.end = ExportEnd::Cancelled;
            break;
        }
        mObserver.step();
    }
    if (mResult.end == ExportEnd::Finished || mResult.end == ExportEnd::Cancelled)
        mResult.headline = exportSummary(mResult.saved, mResult.outputFolder);
    mObserver.showMessage(exportMessage(mResult));
    return mResult;
}

ExportRunner::Step ExportRunner::exportOne(const ExportRow &row)
{
    mObserver.updateOptions(mOptions);
    mObserver.setText("Export image file:\r\n[" + row.name + "]");
    const OutputFormat format = outputFormatFor(mOptions.Format, row.name, row.path);
    mResult.outputFolder = mOptions.FolderMode == 1 ? mOptions.OutputFolder : folderOf(row.path);
    OutputPath out;
    if (!chooseOutput(row, format, out))
        return Step::Stop;
    mObserver.setText("Export image file:\r\n[" + row.name + "] as [" + out.shown + "]");
    // Two pictures aimed at one name (a.bmp and a.tif both as a.JPG): the
    // first stays, the second would replace it.
    const auto earlier = mWritten.find(pathKey(out.path));
    if (earlier != mWritten.end()) {
        issue(row, "not saved: [" + out.shown + "] was already saved from [" + earlier->second + "] in this run");
        return Step::Next;
    }

    ZvImage picture;
    picture.SetKeepPhotoInfo(mOptions.KeepPhotoInfo);
    const PictureWork work{mOptions, mJob.caption ? &*mJob.caption : nullptr, mJob.reducedJpegDecode};
    const PictureOutcome outcome = preparePicture(work, row.path, row.rotation, picture);
    if (!outcome.ready) {
        issue(row, "not saved: " + outcome.problem, outcome.kind);
        return Step::Next;
    }
    if (!outcome.note.empty())
        issue(row, outcome.note);
    applyFormatSettings(picture, format);
    if (!makeReadyFor(picture, format.type)) {
        issue(row, std::string("not saved: ") + picture.GetLastError(), picture.GetErrorKind());
        return Step::Next;
    }
    const std::vector<std::string> infoNotes = fitPhotoInfo(picture, format.type, rotationTurns(row.rotation));
    const int savedBefore = mResult.saved;
    const Step next = save(row, picture, out, format);
    for (std::size_t i = 0; mResult.saved > savedBefore && i < infoNotes.size(); ++i)
        issue(row, infoNotes[i]);
    return next;
}

bool ExportRunner::chooseOutput(const ExportRow &row, const OutputFormat &format, OutputPath &out)
{
    const std::string &folder = mResult.outputFolder;
    if (mOptions.FolderMode == 1) {
        const std::string problem = folderProblem(folder);
        if (!problem.empty()) {
            endWith(ExportEnd::FolderUnavailable, "Cannot write into the output folder [" + folder + "]: " + problem);
            return false;
        }
    }
    out = MakeOutputPath(mOptions, folder, row.name, row.path, format);
    if (out.status == OutputPath::Status::FolderUnlistable)
        endWith(ExportEnd::FolderUnavailable, "Cannot list the output folder [" + folder + "]: " + out.problem);
    else if (out.status == OutputPath::Status::NamesExhausted)
        endWith(ExportEnd::NamesExhausted, "Could't save image file!");
    return out.status == OutputPath::Status::Ok;
}

void ExportRunner::applyFormatSettings(ZvImage &picture, const OutputFormat &format) const
{
    if (mOptions.Format == kFormatJpeg) {
        picture.SetJpegQuality(std::uint8_t(std::clamp(mOptions.JpegQuality, 0, 100)));
        picture.SetXDPI(mOptions.XResolution);
        picture.SetYDPI(mOptions.YResolution);
    }
    // A codec option means something else to every codec: a TIFF's
    // compression scheme would pick a GIF coder or JPEG option bits.
    if (picture.GetType() != format.type)
        picture.SetCodecOption(0);
}

ExportRunner::Step ExportRunner::save(const ExportRow &row, ZvImage &picture, const OutputPath &out,
                                      const OutputFormat &format)
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
    picture.SetLastError("");
    if (picture.Save(out.path.c_str(), format.type)) {
        ++mResult.saved;
        mWritten.emplace(pathKey(out.path), row.name);
        return Step::Next;
    }
    const char *reason = picture.GetLastError();
    issue(row, std::string("not saved: ") + (*reason ? reason : "cannot write " + out.path),
          picture.GetErrorKind() == ZvErrorKind::None ? ZvErrorKind::Io : picture.GetErrorKind());
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
