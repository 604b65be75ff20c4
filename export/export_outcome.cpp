// export/export_outcome.cpp
#include "export/export_outcome.h"

const char *outputActionText(OutputAction action)
{
    switch (action) {
    case OutputAction::New: return "new";
    case OutputAction::Replace: return "replace";
    case OutputAction::ReplaceOriginal: return "replace original";
    case OutputAction::NameClash: return "skipped: name taken by an earlier picture";
    case OutputAction::Unreadable: return "unreadable";
    case OutputAction::NoName: return "no counter name left";
    case OutputAction::Kept: return "existing file kept";
    case OutputAction::NotSaved: return "not saved";
    }
    return "";
}

std::string outcomeLine(const ExportOutcome &o)
{
    const std::string size =
        o.width > 0 && o.height > 0 ? std::to_string(o.width) + " x " + std::to_string(o.height) : "-";
    std::string line = "[" + o.source + "]\t[" + o.output + "]\t" + size + "\t" + o.format + "\t" +
                       outputActionText(o.action);
    if (!o.colour.empty())
        line += "\t" + o.colour;
    return line;
}
