// imagelib/codecs/png/png_io.h
#pragma once

#include <png.h>

#include <cstddef>

class ZvFile;

// The libpng callbacks of ZvImagePNG: stream I/O over a ZvFile and the error
// text of the first failure. Passed to libpng as both the I/O and the error
// pointer. Error() ends in png_longjmp, so the callers' setjmp frames must
// hold nothing with a destructor.
struct ZvPngIo
{
    ZvFile *file = nullptr;
    char message[256] = {};
    bool ours = false; // the message came from a stream callback, not from libpng

    // Keeps the first message only: later ones are consequences of it.
    void Say(const char *text, bool fromStream = false);

    static void Error(png_structp png, png_const_charp text);
    static void Warning(png_structp png, png_const_charp text);
    static void Read(png_structp png, png_bytep data, std::size_t length);
    static void Write(png_structp png, png_bytep data, std::size_t length);
    static void Flush(png_structp png);
};
