// export/export_picture.h
#pragma once

#include "caption/caption_settings.h"
#include "imagelib/core/image.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct ExportOptions;

// How the export treats each picture before it is saved.
struct PictureWork
{
    const ExportOptions &options;
    const CaptionSettings *caption = nullptr; // null: no caption box
    bool reducedJpegDecode = true;            // see imagelib/codecs/jpeg/jpeg_scale.h
    // Non-zero once the run no longer wants the picture: decoding, resizing
    // and encoding stop early and the picture is refused as Cancelled.
    const std::atomic<std::int32_t> *stop = nullptr;
    // The running number the caption's %{counter} shows; -1: none.
    long long counter = -1;
};

struct PictureOutcome
{
    bool ready = false;                   // the picture may be saved
    std::string problem;                  // why it may not
    ZvErrorKind kind = ZvErrorKind::None; // the kind of that failure
    std::string note;                     // saved all the same, but not resized, and why
    bool turned = false;                  // turned by the camera's orientation or the user's turn
    std::string damage;                   // the file decoded only in part, and why
    // What the caption's fields could not say of this picture, as the
    // summary words it ("no camera make"); empty for a caption without fields.
    std::vector<std::string> lacking;
    // The colour space the picture was converted from to sRGB ("Display
    // P3"); empty when its numbers were kept.
    std::string convertedFrom;
    // Why the colour space its file states was not used; empty when it was.
    std::string colourProblem;
};

// Loads path with the type its name stands for (the content decides when
// that fails), opening it once (a JPEG that may decode at a reduced scale has
// its header read first from the same file), turns it upright by the
// orientation its file states (when the options ask for it) and then by
// rotation (degrees: -90 left, 90 right, 180; any other value leaves it), in
// one step, converts it to sRGB from the colour space its file states
// (unless the options keep photo information and the picture's own colour
// space: then the caption's colours are converted into that space), stamps the caption at the turned
// picture's size (its fields filled in with the picture's facts: the EXIF block the decode keeps for it, the
// size it is written at, work.counter) and resizes it when the options ask for it. A resize that cannot be
// done (zero, negative or beyond the memory limit) leaves the picture at its size with a note; any other
// failure leaves it not ready. Whether the picture at path keeps its own colour space in the output: only
// when the options keep photo information and colour spaces, and the output format can carry a profile;
// anywhere else it is written as sRGB.
bool keepsPictureColours(const ExportOptions &options, const std::string &path);

PictureOutcome preparePicture(const PictureWork &work, const std::string &path, int rotation,
                              ZvImage &picture);
