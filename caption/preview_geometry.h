// caption/preview_geometry.h
#pragma once

#include "platform/win_types.h"

#include <cstdint>

// Where the preview shows the picture, as the caption box needs it to turn
// its offsets into a rectangle on the preview and back. A plain value: the
// preview hands a fresh one to the objects and tools for every step, so
// they never hold on to the page. All rectangles are in the preview's own
// pixels (device-independent: the same on a screen of any pixel density).
struct PreviewGeometry
{
    RECT preview{};          // P: the preview area
    float scale = 1.0f;      // s: preview pixels per picture pixel; 1 before any picture
    RECT picture{};          // I: where the picture is drawn
    bool hasPicture = false; // whether a picture is shown
    // The shown picture's own size after its turn, in its pixels (what a
    // caption that sizes with the picture is measured on); 0 when unknown,
    // then taken from picture / scale.
    std::int64_t pictureWidth = 0;
    std::int64_t pictureHeight = 0;
};
