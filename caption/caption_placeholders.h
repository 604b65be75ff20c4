// caption/caption_placeholders.h
#pragma once

#include "caption/picture_facts.h"

#include <QString>
#include <QStringList>

#include <vector>

// Fields a caption text names for the picture it is stamped on, written
// "%{name}" or "%{name:argument}"; "%%{" writes a plain "%{". Captions made
// before fields existed never contain "%{" by accident, so they stay as
// they were. Pure functions, any thread.

struct PlaceholderField
{
    QString name;  // as written between the braces
    QString label; // for a menu and the export's summary ("Camera make")
};

// Every field, in the order a menu lists them.
const std::vector<PlaceholderField> &placeholderFields();
// The label of a field name; the name itself when it is not one.
QString placeholderLabel(const QString &name);

// The format of %{date} without an argument.
inline const QString kDefaultDateFormat = QStringLiteral("yyyy-MM-dd HH:mm");

// Whether text has anything to expand (or an escape to undo).
inline bool hasPlaceholders(const QString &text)
{
    return text.contains(QLatin1String("%{"));
}

// text with every field replaced by the picture's value:
//   file, name (without extension), folder (the folder's own name),
//   counter (%{counter:3} pads to three digits), date (%{date:FORMAT} in Qt's
//   date format, default kDefaultDateFormat), make, model, lens, exposure
//   ("1/250 s"), aperture ("f/2.8"), iso, focal ("26 mm"), width, height,
//   gps ("48.85840° N, 2.29448° E").
// A field whose value the picture lacks becomes "" and its name is added once
// to missing. An unknown name, a bad argument and a "%{" without its "}" stay
// as written. A text without "%{" comes back unchanged.
QString ExpandPlaceholders(const QString &text, const PictureFacts &facts, QStringList *missing = nullptr);
