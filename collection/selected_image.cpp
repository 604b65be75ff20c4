// collection/selected_image.cpp
#include "collection/selected_image.h"

#include "collection/file_facts.h"
#include "collection/thumb_item.h"

const SelectedColumn kSelectedColumns[SelectedImage::ColumnCount] = {
    {"Name", 150, false},      {"Size", 80, true},   {"Type", 125, false},       {"Modified", 130, false},
    {"Properties", 90, false}, {"Path", 260, false}, {"Rotated(\")", 80, false},
};

SelectedImage SelectedImage::FromItem(const ThumbItem &item)
{
    SelectedImage row;
    row.cells[Name] = item.entry.name;
    row.cells[Size] = SizeText(item.entry.size);
    row.cells[Type] = item.entry.typeName;
    row.cells[Modified] = ModifiedText(item.entry.modified);
    if (item.HasThumb())
        row.cells[Properties] = PropertiesText(item.thumb->Picture());
    row.cells[Path] = item.entry.path;
    row.cells[Rotated] = QStringLiteral("0");
    return row;
}

QString SelectedCountText(int rows)
{
    return QStringLiteral("Selected:[%1] Images").arg(rows);
}
