// imagelib/codecs/raw/raw_exif.h
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// What a camera RAW file says about the shot, as its library parsed it.
// Zero, an empty text or no GPS means the file did not say.
struct RawShotFacts
{
    std::string make;
    std::string model;
    std::string lens;
    std::time_t taken = 0; // the camera's clock, read as local time
    double exposure = 0;   // seconds
    double aperture = 0;   // f-number
    double iso = 0;
    double focal = 0; // millimetres
    bool hasGps = false;
    double latitude[3] = {};  // degrees, minutes, seconds
    double longitude[3] = {}; // degrees, minutes, seconds
    char latitudeRef = 'N';   // 'N' or 'S'
    char longitudeRef = 'E';  // 'E' or 'W'
    double altitude = 0;      // metres
    bool belowSeaLevel = false;
};

// An EXIF block ("Exif\0\0" and a little-endian TIFF structure) holding
// the facts, so that a RAW picture exported with its photo information
// keeps its camera, date taken, exposure, lens and position like a JPEG
// does: directory 0 (make, model, date), the EXIF directory (exposure time,
// f-number, ISO, date taken, focal length, lens) and the GPS directory when
// there is a position. No orientation is written: the RAW reader hands
// its pixels over upright. Texts are cut at 255 bytes; numbers that are
// not finite or not positive are left out. Pure; any thread.
std::vector<std::uint8_t> RawExifBlock(const RawShotFacts &facts);
