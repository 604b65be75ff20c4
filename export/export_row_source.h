// export/export_row_source.h
#pragma once

#include "export/export_run.h"

#include <vector>

// Where the export dialog reads what it exports: the rows of the
// selected-image list, in the list's order. UI thread only.
class ExportRowSource
{
  public:
    virtual ~ExportRowSource() = default;
    virtual std::vector<ExportRow> ExportRows() const = 0;
};
