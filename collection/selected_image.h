// collection/selected_image.h
#pragma once

#include <QString>
#include <QStringList>

struct ThumbItem;

// One row of the selected-image list, all cells text, in column order.
struct SelectedImage
{
    enum Column { Name, Size, Type, Modified, Properties, Path, Rotated, ColumnCount };

    QString cells[ColumnCount];

    // The row for a browser item: "0" degrees; the properties come from
    // its thumbnail and stay empty until it has one.
    static SelectedImage FromItem(const ThumbItem &item);
};

// Headings, widths in pixels and right alignment of the columns.
struct SelectedColumn
{
    const char *heading;
    int width;
    bool alignRight;
};
extern const SelectedColumn kSelectedColumns[SelectedImage::ColumnCount];

// The count label under the list: "Selected:[%d] Images".
QString SelectedCountText(int rows);
