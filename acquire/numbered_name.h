// acquire/numbered_name.h
#pragma once

#include <QString>

// The first free name "<prefix><nnnn><extension>" for n = 0..9999 in folder,
// compared with the folder's entries without regard to case, so a number is
// never reused on a case-insensitive card (a sub-folder holds its name too).
// Empty when every number is taken; listed is false when the folder cannot
// be read at all.
QString NextFreeNumberedName(const QString &folder, const QString &prefix, const QString &extension,
                             bool &listed);
