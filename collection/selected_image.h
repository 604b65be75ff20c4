// collection/selected_image.h
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

struct ThumbItem;

// The as-loaded facts of a picture, read from its thumbnail.
struct PictureSize
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bpp = 0;
};

// One picture of the selected-image list: the facts its columns show and
// the user's turn. The path identifies it; the texts are made from the
// values only when a column is shown.
struct SelectedImage
{
    enum Column { Name, Size, Type, Modified, Properties, Path, Rotated, ColumnCount };

    QString path;
    QString name; // file name with its extension
    std::uint64_t size = 0;
    QString typeName;
    QDateTime modified; // local time
    // None until the browser has made the picture's thumbnail.
    std::optional<PictureSize> picture;
    int rotation = 0; // degrees: 0, 90, -90 or 180

    // What the column shows: the size with thousands separators, the local
    // time "%Y-%m-%d %H:%M:%S", "%dx%dx%s" (empty without a thumbnail), the
    // rotation as decimal text.
    QString Text(Column column) const;

    // The row for a browser item: turned by 0 degrees; the properties come
    // from its thumbnail and stay unknown until it has one.
    static SelectedImage FromItem(const ThumbItem &item);
};

// The picture facts of a browser item's thumbnail; none without one.
std::optional<PictureSize> PictureSizeOf(const ThumbItem &item);

// Turns a rotation by a further step (a multiple of 90 degrees) and gives it
// as one of 0, 90, -90 or 180: 180 + 90 is -90, -90 - 90 is 180.
int TurnedBy(int degrees, int by);
// Whether degrees is one of the four rotations a row can hold.
bool IsRowRotation(int degrees);

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
