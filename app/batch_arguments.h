// app/batch_arguments.h
#pragma once

#include "export/export_run.h"

#include <string>
#include <vector>

// The answer zelventa-batch gives to "File already exists,overwrite?".
enum class OverwritePolicy { Ask, Yes, No, Cancel };

// Everything the command line asks for. The export options start from the
// defaults of an empty profile, then the --profile file or the preset (which
// also gives the caption), then the options as given, in their order.
struct BatchArguments
{
    ExportJob job;           // rows, options and caption
    std::string saveProfile; // --save-profile, "" for none
    OverwritePolicy overwrite = OverwritePolicy::No;
    bool overwriteGiven = false;
    bool replaceOriginals = false; // --replace-originals: the run's own pictures may be replaced
    bool acceptDamaged = false;    // --accept-damaged: pictures read only in part are saved
    bool dryRun = false;           // --dry-run: list what would happen, write nothing
    bool help = false;
    int rotation = 0; // --rotate: degrees for the pictures named on the command line
    // --shard K/N: this run handles rows K, K+N, K+2N, ... of the whole list
    // (0 <= K < N); job.rows holds only those, job.listRows their places.
    long long shardIndex = 0;
    long long shardCount = 1;
};

// Parses the arguments after the program name. False with a message that
// names the option (or list file) at fault.
bool parseBatchArguments(const std::vector<std::string> &args, BatchArguments &out, std::string &error);

extern const char kBatchHelp[];
// What zelventa-batch prints when it is given no arguments at all.
extern const char kBatchUsage[];
