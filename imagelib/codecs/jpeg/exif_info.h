// imagelib/codecs/jpeg/exif_info.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ZvFile;

// What the EXIF block of a JPEG file says about the picture. Read scans the
// markers in front of the first scan and parses the first APP1 "Exif"
// section as a TIFF structure. Whatever goes wrong is recorded in lastError
// and never fails the decode of the picture itself; every read stays inside
// the section, and directory links are followed at most once each.
// One thread at a time.
struct ZvExifInfo
{
    bool isExif = false; // a TIFF header was found and its first directory read
    std::string cameraMake;
    std::string cameraModel;
    std::string dateTime;         // "YYYY:MM:DD HH:MM:SS" as stored: original, else modified
    std::string dateTimeOriginal; // the same, only when the camera stated when it took the picture
    std::string lensModel;
    std::string comments; // the user comment, without its character-code prefix
    int orientation = 0;  // 1..8, or 0 when absent or out of range
    int exifWidth = 0;    // pixel dimensions the EXIF directory claims
    int exifHeight = 0;
    double exposureTime = 0; // seconds
    double fNumber = 0;
    double apertureValue = 0;     // APEX
    double shutterSpeedValue = 0; // APEX
    double focalLength = 0;       // millimetres
    double subjectDistance = 0;   // metres
    double exposureBias = 0;      // EV
    double compressionLevel = 0;  // compressed bits per pixel
    int flash = 0;
    int whiteBalance = 0;
    int meteringMode = 0;
    int exposureProgram = 0;
    int isoEquivalent = 0;
    // ColorSpace (0xA001): 1 sRGB, 0xFFFF uncalibrated, 0 when absent; and
    // the interoperability index ("R98" sRGB, "R03" Adobe RGB under DCF).
    int colourSpace = 0;
    std::string interopIndex;
    // Resolution of the main picture (directory 0). The unit is kept as a
    // factor that turns a value per unit into a value per inch when divided
    // by it: inch 1.0, centimetre 0.3937..., 0 when absent or unknown.
    double xResolution = 0;
    double yResolution = 0;
    double resolutionUnit = 0;
    double focalPlaneXRes = 0;
    double focalPlaneUnits = 0; // same factors as resolutionUnit
    // The GPS position in degrees (south and west negative); only when the
    // GPS directory gives both latitude and longitude with their references.
    bool hasGps = false;
    double gpsLatitude = 0;
    double gpsLongitude = 0;
    // The embedded thumbnail, as an offset from the TIFF header.
    std::uint32_t thumbnailOffset = 0;
    std::uint32_t thumbnailSize = 0;
    std::string lastError;

    void Clear();
    // Scans from the stream's position (which must be the start of a JPEG
    // file) up to the first scan. Leaves the stream wherever it stopped.
    // True when an EXIF block was read.
    bool Read(ZvFile *stream);
    // Parses one APP1 payload (the bytes after the length field, beginning
    // with "Exif\0\0"). True when the TIFF header and directory 0 were read.
    bool ParseExif(const std::uint8_t *data, std::size_t length);

  private:
    void DeriveExposure();
};

// DCF's mark of a picture in Adobe RGB (1998): ColorSpace uncalibrated
// (0xFFFF) with the interoperability index "R03". Only meaningful for a
// picture without an ICC profile, which would take precedence.
bool zvExifSaysAdobeRgb(const ZvExifInfo &exif);

// The factor of a TIFF resolution unit (1 none, 2 inch, 3 cm, 4 mm, 5 um),
// 0 for any other value.
double zvExifUnitFactor(int unit);
