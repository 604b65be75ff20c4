// imagelib/codecs/gif/gif_reader.h
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ZvFile;

// The logical screen of a GIF file.
struct GifScreen
{
    int width = 0;
    int height = 0;
    int background = 0;              // index into the global table
    std::vector<std::uint8_t> table; // global colour table, red, green, blue per entry
};

// The graphic control extension that applies to one image.
struct GifControl
{
    int disposal = 0;
    int delay = 0;        // hundredths of a second
    int transparent = -1; // pixel value that is not drawn, -1 none
};

// One image descriptor with what comes with it.
struct GifImage
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<std::uint8_t> localTable; // empty: the global table applies
    GifControl control;
    std::int64_t dataPos = 0; // the LZW minimum code size byte
};

// Walks the block structure of a GIF stream without decoding pixels.
// Extensions are taken in on the way: the graphic control extension is
// attached to the image it precedes; the first comment and the loop count
// are kept. Errors in the signature or the screen descriptor throw
// ZvCodecError; a stream cut short later simply ends the walk.
class GifReader
{
  public:
    static constexpr std::size_t kMaxComment = 255;

    explicit GifReader(ZvFile *stream);

    void ReadScreen(GifScreen &screen);
    // Moves to the next image descriptor and reads it; the stream is left at
    // the image data. False at the trailer, at the end of the stream or at a
    // byte that begins no block.
    bool NextImage(GifImage &image);
    // Skips the image data that NextImage left the stream at.
    void SkipImageData();

    bool SawTrailer() const { return mTrailer; }
    bool SawStrayByte() const { return mStray; }
    const std::string &Comment() const { return mComment; }
    bool HasLoops() const { return mHasLoops; }
    int Loops() const { return mLoops; }

  private:
    bool ReadExact(std::uint8_t *buffer, std::size_t n);
    bool ReadTable(int packed, std::vector<std::uint8_t> &table);
    bool ReadDescriptor(GifImage &image);
    bool ReadExtension();
    bool SkipSubBlocks();
    void TakeControl(const std::uint8_t *data, int length);
    bool ReadComment();
    bool ReadApplication();

    ZvFile *mStream;
    GifControl mPending;
    std::string mComment;
    bool mHasComment = false;
    bool mHasLoops = false;
    int mLoops = 0;
    bool mTrailer = false;
    bool mStray = false;
};
