// fuzz/fuzz_export_list.cpp
// The list file of zelventa-batch: any bytes parse into rows or a message.
#include "export/export_list.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<ExportRow> rows;
    std::string problem;
    const bool ok =
        parseExportList(std::string_view(reinterpret_cast<const char *>(data), size), rows, problem);
    if (ok == !problem.empty())
        __builtin_trap();
    for (const ExportRow &row : rows) {
        if (row.path.empty() || row.name.size() > row.path.size())
            __builtin_trap();
    }
    return 0;
}
