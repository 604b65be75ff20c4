// collection/type_colours.h
#pragma once

#include <QColor>
#include <QString>

// The label colour of a file type in the browser, by extension with its dot
// (any case); white for a type the table does not know.
QColor TypeColour(const QString &extension);
