// export/export_dialog_rules.cpp
#include "export/export_dialog_rules.h"

ExportControls enabledControls(const ExportOptions &o)
{
    ExportControls c;
    if (!o.ResizeImage)
        return c;
    c.width = !(o.AspectRatio && o.RestrictWidth);
    c.height = !(o.AspectRatio && o.RestrictHeight);
    c.unit = true;
    c.stretch = true;
    c.aspect = true;
    c.restrictWidth = o.AspectRatio;
    c.restrictHeight = o.AspectRatio;
    c.quality = true;
    return c;
}

bool colourChoiceEnabled(const ExportOptions &o)
{
    return o.KeepPhotoInfo;
}

void clickRestrict(ExportOptions &o, bool width)
{
    o.RestrictWidth = width;
    o.RestrictHeight = !width;
}

void normaliseForDialog(ExportOptions &o)
{
    if (o.Format < 0 || o.Format >= kExportFormatCount)
        o.Format = kFormatOriginal;
    if (o.Unit != 0 && o.Unit != 1)
        o.Unit = 0;
    if (o.Quality < 0 || o.Quality > 2)
        o.Quality = 1;
    if (o.RestrictWidth == o.RestrictHeight)
        clickRestrict(o, true);
}

bool hasQualityOptions(int format)
{
    return format == kFormatJpeg || format == kFormatWebp || format == kFormatAvif || format == kFormatJxl;
}
