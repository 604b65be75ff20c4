// acquire/picture_types.cpp
#include "acquire/picture_types.h"

namespace {

const PictureFormatRow kRows[kPictureFormatRows] = {
    {0, true, true, "All Supported Format", "*.bmp;*.gif;*.jpg;*.jpeg;*.jpe;*.png;*.ico;*.tif;*.tiff;*.tga"},
    {1, true, true, "BMP files(*.bmp)", "*.bmp"},
    {2, true, false, "GIF files(*.gif)", "*.gif"},
    {3, true, true, "JPG files(*.jpg;*.jpeg;*.jpe)", "*.jpg;*.jpeg;*.jpe"},
    {4, true, true, "PNG files(*.png)", "*.png"},
    {5, true, true, "ICO files(*.ico)", "*.ico"},
    {6, true, true, "TIF files(*.tif;*.tiff)", "*.tif;*.tiff"},
    {7, true, true, "TGA files(*.tga)", "*.tga"},
    {8, true, false, "PCX files(*.pcx)", "*.pcx"},
    {9, true, true, "WBMP files", "*.wbmp"},
    {10, true, false, "WMF EMF files", "*.wmf;*.emf"},
    {11, true, true, "", ""},
    {12, true, true, "", ""},
    {13, true, true, "", ""},
    {14, true, true, "", ""},
    {15, true, true, "", ""},
    // Today's phones and cameras, after the table's fixed rows so the rows
    // before keep their numbers: a card full of them is imported too.
    {16, true, true, "WebP files(*.webp)", "*.webp"},
    {17, true, true, "AVIF files(*.avif)", "*.avif"},
    {18, true, false, "HEIF files(*.heic;*.heif;*.hif)", "*.heic;*.heif;*.hif"},
    {19, true, true, "JPEG XL files(*.jxl)", "*.jxl"},
    {20, true, false, "Camera RAW files", "*.dng;*.cr2;*.cr3;*.nef;*.arw;*.raf;*.orf;*.rw2;*.pef"},
};

} // namespace

const PictureFormatRow &PictureFormatAt(int row)
{
    return kRows[row < 0 || row >= kPictureFormatRows ? 0 : row];
}

int PictureTypeOf(const QString &extension)
{
    const QString wanted = extension.toLower();
    for (int row = 1; row < kPictureFormatRows; ++row) {
        const QString patterns = QString::fromLatin1(kRows[row].patterns);
        // Empty rows hold no pattern list to search.
        if (!patterns.isEmpty() && patterns.contains(wanted))
            return kRows[row].typeId;
    }
    return -1;
}

QString ExtensionOf(const QString &fileName)
{
    const int slash = fileName.lastIndexOf('/');
    const int dot = fileName.lastIndexOf('.');
    return dot > slash ? fileName.mid(dot) : QString();
}
