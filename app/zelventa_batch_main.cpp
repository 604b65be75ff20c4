// app/zelventa_batch_main.cpp
// zelventa-batch: the batch export from a terminal, for scripts and for
// machines without a display. Runs the same export core as the dialog.
#include "app/batch_arguments.h"
#include "app/batch_progress.h"
#include "export/export_plan.h"
#include "export/export_run.h"
#include "platform/headless.h"
#include "platform/profile_store.h"

#include <QGuiApplication>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitRunEnded = 1;
constexpr int kExitNotAllSaved = 3;
constexpr int kExitInterrupted = 130;

int usageError(const std::string &message)
{
    std::fprintf(stderr, "zelventa-batch: %s\nTry 'zelventa-batch --help'.\n", message.c_str());
    return kExitUsage;
}

int terminalColumns()
{
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? int(size.ws_col) : 80;
}

int report(const ExportResult &result, std::size_t pictures, const std::string &profile)
{
    if (result.profileNotWritten)
        std::fprintf(stderr, "zelventa-batch: could not write the profile %s\n", profile.c_str());
    const bool summary = result.end == ExportEnd::Finished || result.end == ExportEnd::Cancelled;
    std::fprintf(summary ? stdout : stderr, "%s\n", result.headline.c_str());
    std::fflush(stdout);
    for (const ExportIssue &issue : result.issues)
        std::fprintf(stderr, "[%s] %s\n", issue.name.c_str(), issue.text.c_str());
    for (const std::string &line : lackingLines(result))
        std::fprintf(stderr, "%s\n", line.c_str());
    for (const std::string &line : convertedLines(result))
        std::fprintf(stderr, "%s\n", line.c_str());
    if (!summary)
        return result.end == ExportEnd::Invalid ? kExitUsage : kExitRunEnded;
    if (BatchProgress::interrupted())
        return kExitInterrupted;
    return std::size_t(result.saved) < pictures ? kExitNotAllSaved : 0;
}

// A shard past the end of a short list has nothing to do, which is no error
// when the options themselves would pass.
int emptyShard(const ExportOptions &options)
{
    const std::string invalid = options.Validate(1);
    if (!invalid.empty()) {
        std::fprintf(stderr, "%s\n", invalid.c_str());
        return kExitUsage;
    }
    const std::string folder =
        options.FolderMode == ExportFolderMode::OutputFolder ? options.OutputFolder : std::string();
    std::printf("%s\n", exportSummary(0, folder).c_str());
    return 0;
}

// What the run would do, one line per picture, as the answers given on the
// command line decide; nothing is written, not even the profile.
int dryRun(const BatchArguments &args)
{
    const ExportPlan plan = planExport(args.job);
    for (ExportOutcome line : plan.lines) {
        const bool asked = line.action == OutputAction::Replace ||
                           (line.action == OutputAction::ReplaceOriginal && args.replaceOriginals);
        if (line.action == OutputAction::ReplaceOriginal && !args.replaceOriginals)
            line.action = OutputAction::Kept;
        else if (asked && args.overwrite != OverwritePolicy::Yes && args.overwrite != OverwritePolicy::Ask)
            line.action = OutputAction::Kept;
        std::printf("%s\n", outcomeLine(line).c_str());
    }
    std::fflush(stdout);
    if (plan.problem.empty())
        return 0;
    std::fprintf(stderr, "%s\n", plan.problem.c_str());
    return plan.lines.empty() && args.job.options.Validate(int(args.job.rows.size())) == plan.problem
               ? kExitUsage
               : kExitRunEnded;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs(kBatchUsage, stderr);
        return kExitUsage;
    }
    BatchArguments args;
    std::string error;
    if (!parseBatchArguments(std::vector<std::string>(argv + 1, argv + argc), args, error))
        return usageError(error);
    if (args.help) {
        std::fputs(kBatchHelp, stdout);
        return 0;
    }
    if (args.job.rows.empty() && args.shardCount > 1)
        return emptyShard(args.job.options);
    const bool interactive = ::isatty(STDIN_FILENO) != 0;
    if (!args.overwriteGiven)
        args.overwrite = interactive ? OverwritePolicy::Ask : OverwritePolicy::No;

    // Text drawing needs a QGuiApplication; Qt sees none of our arguments.
    prepareHeadlessQt(true);
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    if (args.dryRun)
        return dryRun(args);
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    BatchProgress progress({args.overwrite, args.replaceOriginals, args.acceptDamaged}, terminal,
                           terminal ? terminalColumns() : 80);
    // RunExport validates the options and writes the profile only when they pass.
    std::optional<ProfileStore> store;
    if (!args.saveProfile.empty())
        args.job.profile = &store.emplace(args.saveProfile);
    const ExportResult result = RunExport(args.job, progress);
    return report(result, args.job.rows.size(), args.saveProfile);
}
