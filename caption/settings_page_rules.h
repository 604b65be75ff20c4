// caption/settings_page_rules.h
#pragma once

#include <QString>

#include <cstdint>

// Control identifiers of the Batch Settings page that other code refers to.
namespace SettingsPageIds {
constexpr int Previous = 1004;
constexpr int Next = 1005;
constexpr int Text = 1010;
constexpr int Font = 1011;
constexpr int BackColor = 1012;
constexpr int AnchorList = 1026;
constexpr int AlignList = 1028;
constexpr int Rotate0 = 1032;
constexpr int RotateMinus90 = 1033;
constexpr int Rotate90 = 1034;
constexpr int Rotate180 = 1035;
constexpr int Resolution = 1040;
constexpr int View = 1041;
} // namespace SettingsPageIds

// The turn of each rotation button, in the buttons' order: 0, -90, 90, 180.
constexpr int kRotationButtonDegrees[4] = {0, -90, 90, 180};
// The button index of a rotation, or -1 for a value no button stands for.
int RotationButtonIndex(int degrees);

// Whether Previous / Next can move from row (-1: none selected) of a list
// of count rows: Previous not on the first row nor without a selection;
// Next not on the last row, and to the first row when none is selected.
bool CanShowPrevious(int row, int count);
bool CanShowNext(int row, int count);

// The tooltip text of a control in the markup of the page's tooltip, or an
// empty string for a control without one.
QString SettingsTooltipMarkup(int controlId);

// "%dx%dx%s": width, height and the colour count of a picture with that many
// bits per pixel (below 1024 as is, from 2^20 on in "M", otherwise in "K").
QString PropertiesText(std::int64_t width, std::int64_t height, int bitsPerPixel);

// The caption keeps its lines apart with CR LF, as typed on the page; the
// text edit shows them with LF.
QString captionTextFromEdit(const QString &edited);
QString editTextFromCaption(const QString &caption);

// The Font button's tip: its markup, then the caption's face and height in
// pixels, and the face that really draws it when the one asked for is not
// installed (faces compared without case). A "<" in a face name is doubled
// so that the tooltip shows it instead of reading a tag.
QString fontTipMarkup(const QString &face, const QString &drawnFace, int height);
