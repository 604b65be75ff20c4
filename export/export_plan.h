// export/export_plan.h
#pragma once

#include "export/export_outcome.h"
#include "export/export_run.h"

#include <string>
#include <vector>

// The check before a run: what the run of job would do with every picture,
// worked out without writing anything. Reads only the pictures' headers
// and lists each output folder once. Rows come out in the run's order and
// agree with the run's own outcomes as long as the files do not change in
// between and the user answers every question Yes; a picture whose header
// reads but whose data does not is listed as the run would try it.
struct ExportPlan
{
    std::vector<ExportOutcome> lines;
    std::string problem; // the message that would end the run before its first picture, or ""
};

// Any thread; the options are taken as they are (invalid options give the
// validation message as problem and no lines).
ExportPlan planExport(const ExportJob &job);
