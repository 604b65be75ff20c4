// export/export_job.h
#pragma once

#include "caption/caption_settings.h"
#include "export/export_options.h"

#include <optional>
#include <string>
#include <vector>

class ProfileStore;

// One row of the selected-image list as the export reads it.
struct ExportRow
{
    std::string name; // the file name as listed, with its extension
    std::string path; // the source file
    int rotation = 0; // the user's turn in degrees: 0, 90 (right), -90 (left) or 180
};

struct ExportJob
{
    std::vector<ExportRow> rows;
    ExportOptions options;
    std::optional<CaptionSettings> caption; // none: the pictures go on without one
    ProfileStore *profile = nullptr;        // receives the options once they are valid
    bool reducedJpegDecode = true;          // see imagelib/codecs/jpeg/jpeg_scale.h
    // Pictures made at once on worker threads ahead of the run; 0: one per
    // core; 1: one picture after the other on the run's own thread.
    int jobs = 0;
    // Set when this run does a share of a longer list: each row's place in the
    // whole list (0-based). Counter names then carry that number instead of the
    // lowest free one, so runs sharing a folder never pick the same name.
    std::vector<long long> listRows;
};
