// caption/picture_facts.h
#pragma once

#include <QDateTime>
#include <QString>

struct ZvPhotoInfo;

// What a caption may say about the one picture it is stamped on: the file's
// name and folder, the export's running number, the size the picture is
// written at, and what its camera recorded. Every fact may be absent:
// strings empty, numbers 0 (a counter below 0), the date invalid, hasGps
// false. A plain value, copied freely between threads.
struct PictureFacts
{
    QString filePath;       // as given; the name and folder are taken from it
    long long counter = -1; // the export's running number; -1 when there is none
    int width = 0;          // pixels, upright as written
    int height = 0;
    QDateTime taken;                // when the picture was taken, local time as the camera kept it
    bool takenFromFileTime = false; // no date taken was recorded: taken is the file's modification time
    QString make;
    QString model;
    QString lens;
    double exposureTime = 0; // seconds
    double fNumber = 0;
    int iso = 0;
    double focalLength = 0; // millimetres
    bool hasGps = false;
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

// The facts of the picture file at path: its name, its modification time
// when no date taken is known, and the camera's record. exifPayload (an
// APP1 payload, "Exif\0\0" and the TIFF structure) is what a decoder already
// holds (PictureFactsFrom). Without it a JPEG's markers in front of its
// first scan are read (the file is opened once and not decoded), a TIFF's or
// a TIFF-like camera RAW file's directories from the whole file (up to
// 96 MB), and other formats give the file's facts only; PictureFactsFrom
// reads a file only for TIFF and RAW, whose decoders keep no EXIF block.
// counter, width and height are left for the caller. Any thread.
PictureFacts ReadPictureFacts(const QString &path);
PictureFacts PictureFactsFrom(const QString &path, const ZvPhotoInfo *info);
