// export/export_sources.h
#pragma once

#include "caption/caption_settings.h"
#include "export/export_run.h"

#include <optional>
#include <vector>

// Where the export dialog reads what it exports: the selected-image list...
class ExportRowSource
{
public:
    virtual ~ExportRowSource() = default;
    virtual std::vector<ExportRow> ExportRows() const = 0;
};

// ...and the caption designed on the Batch Settings page (none: no caption).
class CaptionSource
{
public:
    virtual ~CaptionSource() = default;
    virtual std::optional<CaptionSettings> ExportCaption() const = 0;
};
