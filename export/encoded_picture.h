// export/encoded_picture.h
#pragma once

#include "export/export_picture.h"
#include "export/output_path.h"

#include <cstdint>
#include <string>
#include <vector>

// One picture made ready for its output file, before the run decides where
// the file goes: everything the export does to a picture that needs no
// look at the output folder, so it may run on any thread.
struct EncodedPicture
{
    enum class Stage {
        Refused,      // could not be read, turned, captioned or made ready for the format
        EncodeFailed, // the format's encoder refused it
        Encoded,      // file holds the output file's bytes
    };
    Stage stage = Stage::Refused;
    std::string problem;                  // why not, for Refused and EncodeFailed
    ZvErrorKind kind = ZvErrorKind::None; // the kind of that failure
    std::string note;                     // saved all the same, but not resized, and why
    std::string damage;                   // the source decoded only in part, and why
    std::int64_t width = 0;               // the picture as saved, in pixels
    std::int64_t height = 0;
    std::vector<std::string> infoNotes; // photo information left out; told once the file is written
    std::vector<std::string> lacking;   // what the caption's fields could not say (PictureOutcome)
    long long counter = -1;             // the running number the caption was made with
    std::string convertedFrom;          // the colour space converted to sRGB (PictureOutcome)
    std::vector<std::uint8_t> file;
};

// Loads, turns, captions and resizes the picture at path (see
// preparePicture), applies the JPEG settings, converts it to what the
// format can hold, fits its photo information to the output and encodes it.
// The decoded picture is gone when this returns; only the bytes stay.
// rotation in degrees, as preparePicture takes it.
EncodedPicture encodePicture(const PictureWork &work, const std::string &path, int rotation,
                             const OutputFormat &format);
