// collection/selected_image.cpp
#include "collection/selected_image.h"

#include "collection/file_facts.h"
#include "collection/thumb_item.h"
#include "imagelib/core/image.h"

const SelectedColumn kSelectedColumns[SelectedImage::ColumnCount] = {
    {"Name", 150, false},      {"Size", 80, true},   {"Type", 125, false},       {"Modified", 130, false},
    {"Properties", 90, false}, {"Path", 260, false}, {"Rotated(\")", 80, false},
};

QString SelectedImage::Text(Column column) const
{
    switch (column) {
    case Name: return name;
    case Size: return SizeText(size);
    case Type: return typeName;
    case Modified: return ModifiedText(modified);
    case Properties:
        return picture ? PropertiesText(picture->width, picture->height, picture->bpp) : QString();
    case Path: return path;
    case Rotated: return QString::number(rotation);
    case ColumnCount: break;
    }
    return QString();
}

std::optional<PictureSize> PictureSizeOf(const ThumbItem &item)
{
    const ZvImage *shown = item.HasThumb() ? item.thumb->Picture() : nullptr;
    if (!shown)
        return std::nullopt;
    return PictureSize{shown->GetOrignWidth(), shown->GetOrignHeight(), shown->GetOrignBpp()};
}

SelectedImage SelectedImage::FromItem(const ThumbItem &item)
{
    SelectedImage row;
    row.path = item.entry.path;
    row.name = item.entry.name;
    row.size = item.entry.size;
    row.typeName = item.entry.typeName;
    row.modified = item.entry.modified;
    row.picture = PictureSizeOf(item);
    return row;
}

int TurnedBy(int degrees, int by)
{
    // Into 0 .. 270 first, whatever the signs, then 270 shown as -90.
    const int turned = ((degrees + by) % 360 + 360) % 360;
    return turned == 270 ? -90 : turned;
}

bool IsRowRotation(int degrees)
{
    return degrees == 0 || degrees == 90 || degrees == -90 || degrees == 180;
}

QString SelectedCountText(int rows)
{
    return QStringLiteral("Selected:[%1] Images").arg(rows);
}
