// export/output_decision.cpp
#include "export/output_decision.h"

#include "export/export_job.h"
#include "export/folder_checks.h"

#include <algorithm>
#include <cstdint>

const char kNamesExhaustedText[] = "Could't save image file!";

int validationCount(std::size_t rows)
{
    return int(std::min<std::size_t>(rows, INT32_MAX));
}

OutputDecider::OutputDecider(const ExportJob &job, Listing listing)
    : mJob(job)
    , mListing(listing)
{
    for (const ExportRow &row : job.rows)
        mSources.insert(mKeys.key(row.path));
}

std::string OutputDecider::folderFor(const ExportRow &row) const
{
    const ExportOptions &o = mJob.options;
    return o.FolderMode == ExportFolderMode::OutputFolder ? o.OutputFolder : folderOf(row.path);
}

OutputPath OutputDecider::name(std::size_t index, const OutputFormat &format)
{
    const ExportOptions &o = mJob.options;
    const ExportRow &row = mJob.rows[index];
    const std::string folder = folderFor(row);
    if (index < mJob.listRows.size() && o.countsNames())
        return MakeCounterPath(o, folder, mJob.listRows[index], format);
    if (mListing == Listing::Once && o.countsNames())
        return counterFromListing(folder, format);
    return MakeOutputPath(o, folder, row.name, row.path, format);
}

// The lowest free number of one listing and the names given since; the
// number only grows, so the search starts where the last one ended.
OutputPath OutputDecider::counterFromListing(const std::string &folder, const OutputFormat &format)
{
    OutputPath out;
    auto [it, fresh] = mCounters.try_emplace(folder);
    CounterFolder &counter = it->second;
    if (fresh && !listFolderNames(folder, counter.taken, out.problem)) {
        out.status = OutputPath::Status::FolderUnlistable;
        return out;
    }
    for (int n = counter.lowest; n <= kMaxCounter; ++n) {
        const std::string candidate = counterName(mJob.options.Prefix, n, format.extension);
        if (!counter.taken.count(foldedName(candidate))) {
            counter.lowest = n;
            out.path = joinFolder(folder, candidate);
            out.shown = candidate;
            out.counter = n;
            return out;
        }
    }
    out.status = OutputPath::Status::NamesExhausted;
    return out;
}

std::string OutputDecider::problem(const OutputPath &out, const std::string &folder)
{
    switch (out.status) {
    case OutputPath::Status::Ok: return {};
    case OutputPath::Status::FolderUnlistable:
        return "Cannot list the output folder [" + folder + "]: " + out.problem;
    case OutputPath::Status::NamesExhausted: return kNamesExhaustedText;
    }
    return {};
}

const std::string *OutputDecider::clash(const std::string &path)
{
    const auto earlier = mWritten.find(mKeys.key(path));
    return earlier == mWritten.end() ? nullptr : &earlier->second;
}

OutputAction OutputDecider::action(const std::string &path)
{
    if (!fileExists(path))
        return OutputAction::New;
    return mSources.count(mKeys.key(path)) ? OutputAction::ReplaceOriginal : OutputAction::Replace;
}

void OutputDecider::wrote(const OutputPath &out, const std::string &source)
{
    mWritten.emplace(mKeys.key(out.path), source);
    if (mListing == Listing::Once && mJob.options.countsNames())
        mCounters[mJob.options.OutputFolder].taken.insert(foldedName(out.shown));
}

OutputAction refusedAction(ZvErrorKind kind)
{
    const bool unreadable = kind == ZvErrorKind::NotFound || kind == ZvErrorKind::BadData ||
                            kind == ZvErrorKind::Unsupported || kind == ZvErrorKind::Io;
    return unreadable ? OutputAction::Unreadable : OutputAction::NotSaved;
}
