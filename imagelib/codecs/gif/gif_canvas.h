// imagelib/codecs/gif/gif_canvas.h
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <vector>

class ZvImage;
struct GifImage;

// A rectangle of the logical screen, already clipped to it; right and
// bottom exclusive, y counted from the top.
struct GifRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
};

// The logical screen onto which the images of a GIF are drawn in order, as
// a viewer shows them. It lives in the pixels of the picture being decoded:
// either 8-bit indices, where one index stands for "nothing drawn here",
// or 24 bits with the alpha plane saying what was drawn.
class GifCanvas
{
  public:
    // image: an 8- or 24-bit picture of the screen's size (24-bit with an
    // alpha plane). undrawnIndex and undrawnColour are what an undrawn
    // pixel holds in either form.
    GifCanvas(ZvImage &image, std::uint8_t undrawnIndex, RGBQUAD undrawnColour);

    GifRect Clip(const GifImage &image) const;
    void Erase(const GifRect &r); // back to undrawn
    void Save(const GifRect &r);  // for a later Restore
    void Restore();

    // Sets the image whose rows DrawRow draws: its place, its colour table
    // (red, green, blue per entry) and the value it does not draw (-1 none).
    void BeginImage(const GifImage &image, const std::vector<std::uint8_t> &table, int transparent);
    // Row y of the current image (0 = its top row); count pixels arrived.
    void DrawRow(int y, const std::uint8_t *pixels, int count);
    bool RowVisible(int y) const;
    int VisibleRows() const;

    // Whether any pixel is still undrawn.
    bool AnyUndrawn() const;
    // Pixels touched so far by drawing, erasing, saving and restoring.
    std::uint64_t Work() const { return mWork; }

  private:
    std::uint8_t *Row(int y) const; // y from the top
    std::uint8_t *AlphaRow(int y) const;

    ZvImage &mImage;
    bool mTrueColour;
    int mWidth;
    int mHeight;
    std::uint8_t mUndrawnIndex;
    RGBQUAD mUndrawnColour;

    int mLeft = 0;
    int mTop = 0;
    int mImageHeight = 0;
    int mVisibleWidth = 0; // columns of the image on the screen
    int mTransparent = -1;
    std::uint8_t mColours[256][3] = {}; // blue, green, red by pixel value

    std::uint64_t mWork = 0;
    GifRect mSavedRect;
    std::vector<std::uint8_t> mSaved;
    std::vector<std::uint8_t> mSavedAlpha;
};
