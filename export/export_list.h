// export/export_list.h
#pragma once

#include "export/export_run.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest list file read; a list of a million pictures stays far below.
constexpr std::size_t kMaxExportListBytes = 64u << 20;

// Rows from a list of pictures, one "PATH<TAB>ROTATION" per line (LF or
// CR LF). The last tab separates the rotation, which must be written 0, 90,
// -90 or 180; a line without a tab is a picture with rotation 0. Empty lines are
// skipped. Each row is named after its path's file name. False with the
// line number and what is wrong in problem; rows then holds the lines
// before it.
bool parseExportList(std::string_view text, std::vector<ExportRow> &rows, std::string &problem);

// Reads and parses a list file; false with a message naming the file.
bool readExportList(const std::string &path, std::vector<ExportRow> &rows, std::string &problem);

// The degrees a rotation's text stands for: exactly "0", "90", "-90" or "180";
// none for any other text (" 90", "+90", "270", "090").
std::optional<int> rotationFromText(std::string_view text);
