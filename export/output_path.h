// export/output_path.h
#pragma once

#include "imagelib/core/image_type.h"

#include <set>
#include <string>
#include <string_view>

struct ExportOptions;

// Path pieces as the export names them. Folders are kept with their
// trailing "/" where they have one; "/" is the only separator.

// The folder part of a path, with its trailing "/"; "./" for a bare name.
std::string folderOf(std::string_view path);
// The name part of a path: everything after the last "/".
std::string nameOf(std::string_view path);
// A name without its extension (from its last "." on); a name without a
// "." is its own stem.
std::string stemOf(std::string_view name);
// folder + "/" + name, without doubling a "/" that folder ends with.
std::string joinFolder(std::string_view folder, std::string_view name);

// What a picture is written as: the extension with its dot and the image type.
struct OutputFormat
{
    std::string extension;
    ImageType type = ZV_TYPE_UNKNOWN;
};
// From the format table; "Original Format" keeps the source name's own
// extension (letters as they are) and the type the source path's extension
// stands for.
OutputFormat outputFormatFor(int format, std::string_view sourceName, std::string_view sourcePath);

// The largest counter a name can carry ("%s%04d").
constexpr int kMaxCounter = 9999;
// prefix, n in four digits, extension: "Photo0012.JPG".
std::string counterName(std::string_view prefix, long long n, std::string_view extension);
// A case-folded form of a file name, so that "photo0000.jpg" and
// "Photo0000.JPG" meet; names that are not UTF-8 still fold consistently.
std::string foldedName(std::string_view name);
// The folded names of every entry of folder; false, with why, when it cannot be listed.
bool listFolderNames(std::string_view folder, std::set<std::string> &names, std::string &problem);

struct OutputPath
{
    enum class Status { Ok, FolderUnlistable, NamesExhausted };
    Status status = Status::Ok;
    std::string path;       // the file to write
    std::string shown;      // the name the progress text shows
    std::string problem;    // why the folder could not be listed
    long long counter = -1; // the number in a counter name; -1 for other names
};

// The output path of one picture under the options' folder and naming
// modes. Counter names list the output folder afresh on every call and take
// the lowest free number, so gaps are filled first; a name is taken when
// any entry of the folder (a file, a folder, anything but "." and "..") has
// it, compared without regard to case, so a number is never reused on a
// case-insensitive card and a directory never blocks a save.
// folder is the output folder already chosen for this picture; sourceName
// is the name the picture is listed under (normally nameOf(sourcePath)).
OutputPath MakeOutputPath(const ExportOptions &options, std::string_view folder, std::string_view sourceName,
                          std::string_view sourcePath, const OutputFormat &format);

// The counter name "%s%04d" for a number fixed in advance (a picture's row in
// the whole list when several runs share one list and one folder). Nothing is
// listed and no other number is tried: a run that finds the name taken must
// report it, since shifting to a free number could take another run's name.
// Numbers above kMaxCounter simply carry more digits. Only the exact name
// counts as taken: a case-insensitive volume answers for its own spellings.
OutputPath MakeCounterPath(const ExportOptions &options, std::string_view folder, long long counter,
                           const OutputFormat &format);
