// bench/magick_gif.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// ImageMagick's GIF writer on one picture held in memory. Kept apart from
// our headers: both name an enumeration ImageType.
class MagickGif
{
  public:
    // rgb: top-down red, green, blue. With palette the picture is made a
    // palette picture once here, as an 8-bit picture of ours already is.
    MagickGif(const std::vector<std::uint8_t> &rgb, std::size_t width, std::size_t height, bool palette);
    ~MagickGif();
    MagickGif(const MagickGif &) = delete;
    MagickGif &operator=(const MagickGif &) = delete;

    // Writing a picture that is not yet a palette picture reduces its colours
    // in place, so each encoding works on a fresh copy made by Prepare.
    void Prepare();
    // Encodes the copy to a GIF blob and returns its size, 0 on failure.
    std::size_t Encode();

  private:
    void *mWand = nullptr;
    void *mCopy = nullptr;
};
