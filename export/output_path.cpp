// export/output_path.cpp
#include "export/output_path.h"

#include "export/export_options.h"

#include <QString>

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

namespace {

OutputPath counterPath(const ExportOptions &o, std::string_view folder, const OutputFormat &format)
{
    OutputPath out;
    std::set<std::string> taken;
    if (!listFolderNames(folder, taken, out.problem)) {
        out.status = OutputPath::Status::FolderUnlistable;
        return out;
    }
    for (int n = 0; n <= kMaxCounter; ++n) {
        const std::string name = counterName(o.Prefix, n, format.extension);
        if (!taken.count(foldedName(name))) {
            out.path = joinFolder(folder, name);
            out.shown = name;
            out.counter = n;
            return out;
        }
    }
    out.status = OutputPath::Status::NamesExhausted;
    return out;
}

} // namespace

std::string foldedName(std::string_view name)
{
    return QString::fromUtf8(name.data(), qsizetype(name.size())).toCaseFolded().toStdString();
}

bool listFolderNames(std::string_view folder, std::set<std::string> &names, std::string &problem)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(std::filesystem::path(std::string(folder)), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        names.insert(foldedName(it->path().filename().string()));
    if (ec) {
        problem = ec.message();
        return false;
    }
    return true;
}

std::string counterName(std::string_view prefix, long long n, std::string_view extension)
{
    char digits[32];
    std::snprintf(digits, sizeof(digits), "%04lld", n);
    return std::string(prefix) + digits + std::string(extension);
}

std::string folderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string("./") : std::string(path.substr(0, slash + 1));
}

std::string nameOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string stemOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string joinFolder(std::string_view folder, std::string_view name)
{
    std::string out(folder);
    if (!out.empty() && out.back() != '/')
        out += '/';
    return out + std::string(name);
}

OutputFormat outputFormatFor(int format, std::string_view sourceName, std::string_view sourcePath)
{
    const ExportFormat &row = exportFormat(format);
    if (row.type != ZV_TYPE_UNKNOWN)
        return {row.extension, row.type};
    const ImageType type = ImageTypeFromName(nameOf(sourcePath));
    // Phone and camera formats are read only: their pictures keep their
    // original format as JPEG, the format such pictures are shared in.
    if (type == ZV_TYPE_HEIF || type == ZV_TYPE_RAW) {
        const ExportFormat &jpeg = exportFormat(kFormatJpeg);
        return {jpeg.extension, jpeg.type};
    }
    const std::size_t dot = sourceName.rfind('.');
    const std::string_view ext =
        dot == std::string_view::npos ? std::string_view() : sourceName.substr(dot + 1);
    return {"." + std::string(ext), type};
}

OutputPath MakeOutputPath(const ExportOptions &o, std::string_view folder, std::string_view sourceName,
                          std::string_view sourcePath, const OutputFormat &format)
{
    if (o.countsNames())
        return counterPath(o, folder, format);
    OutputPath out;
    if (o.FolderMode == ExportFolderMode::OutputFolder) {
        out.shown = stemOf(sourceName) + format.extension;
        out.path = joinFolder(folder, out.shown);
        return out;
    }
    const std::string fileName = nameOf(sourcePath);
    out.path = std::string(sourcePath.substr(0, sourcePath.size() - fileName.size())) + stemOf(fileName) +
               format.extension;
    out.shown = o.NameMode == ExportNameMode::Keep ? std::string(sourceName) : nameOf(out.path);
    return out;
}

OutputPath MakeCounterPath(const ExportOptions &o, std::string_view folder, long long counter,
                           const OutputFormat &format)
{
    OutputPath out;
    out.shown = counterName(o.Prefix, counter, format.extension);
    out.path = joinFolder(folder, out.shown);
    out.counter = counter;
    return out;
}
