// export/export_dialog_rules.h
#pragma once

#include "export/export_options.h"

// Which controls of the resize group are enabled.
struct ExportControls
{
    bool width = false;
    bool height = false;
    bool unit = false;
    bool stretch = false;
    bool aspect = false;
    bool restrictWidth = false;
    bool restrictHeight = false;
    bool quality = false; // the quality list and its label
};

// The resize rule with the aspect-ratio rule inside it: everything off
// while resizing is off; the restrict pair only with the aspect ratio kept,
// and then the restricted entry is the one disabled.
ExportControls enabledControls(const ExportOptions &options);

// Whether the colour choice (convert to sRGB or keep the picture's own
// profile) is enabled: only while photo information is kept, since without
// it every picture is written in sRGB whatever the choice says.
bool colourChoiceEnabled(const ExportOptions &options);

// "Restrict width" and "Restrict height" act as a pair of radio buttons:
// a click ticks the clicked one and clears the other.
void clickRestrict(ExportOptions &options, bool width);

// Options as loaded from a profile made consistent for the dialog: list
// indexes outside their lists fall back to their defaults, and exactly one
// of the restrict pair is ticked (the width one when the profile says
// both or neither).
void normaliseForDialog(ExportOptions &options);

// Whether the Option button has a quality dialog for this format: JPEG,
// WebP, AVIF and JPEG XL.
bool hasQualityOptions(int format);
