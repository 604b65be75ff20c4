// collection/typed_folder.h
#pragma once

#include <QString>

// The folder a user typed, pasted or dropped, or why there is none.
struct TypedFolder
{
    QString folder;  // absolute, cleaned, without a trailing "/" (but "/" itself)
    QString problem; // empty when folder is usable; else the message for the user
};

// Reads what the user gave the Folder field: a path, "~" or "~/..." for the
// home folder, a file:// URL as a file manager pastes it, quotes around any
// of these. A file's path stands for the folder holding it. A relative path
// is refused: it would depend on the folder the program was started in.
// Touches the file system (existence, readability); no widget code.
TypedFolder folderFromUserText(const QString &text, const QString &home);
