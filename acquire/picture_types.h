// acquire/picture_types.h
#pragma once

#include <QString>

// The picture format table shared with the file dialogs: rows 0 to 15 of
// type id, readable and writable flags, description and pattern list, then
// rows 16 to 20 for WebP, AVIF, HEIF, JPEG XL and camera RAW (their type ids
// are the ZvImage types of the same number). Row 0's list stays the classic
// formats'.
struct PictureFormatRow
{
    int typeId;
    bool readable;
    bool writable;
    const char *description;
    const char *patterns;
};

constexpr int kPictureFormatRows = 21;
const PictureFormatRow &PictureFormatAt(int row); // row 0..kPictureFormatRows-1

// The type id of the first row from 1 on whose pattern list contains the
// extension (leading dot included, matched without regard to case) as
// plain text, or -1. The empty extension occurs in every list and so
// counts as a BMP row.
int PictureTypeOf(const QString &extension);

// The extension with its dot: ".jpg" for "a/b.c/x.jpg", "" for "a.d/x".
QString ExtensionOf(const QString &fileName);
