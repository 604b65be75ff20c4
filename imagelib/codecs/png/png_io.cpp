// imagelib/codecs/png/png_io.cpp
#include "imagelib/codecs/png/png_io.h"
#include "imagelib/streams/file.h"

#include <cstdio>

void ZvPngIo::Say(const char *text, bool fromStream)
{
    if (message[0])
        return;
    std::snprintf(message, sizeof(message), "%s", text ? text : "PNG error");
    ours = fromStream;
}

void ZvPngIo::Error(png_structp png, png_const_charp text)
{
    if (auto *io = static_cast<ZvPngIo *>(png_get_error_ptr(png)))
        io->Say(text);
    png_longjmp(png, 1);
}

void ZvPngIo::Warning(png_structp, png_const_charp)
{
    // Warnings (unknown chunks, ancillary CRC errors) do not stop the picture.
}

void ZvPngIo::Read(png_structp png, png_bytep data, std::size_t length)
{
    auto *io = static_cast<ZvPngIo *>(png_get_io_ptr(png));
    if (io->file->Read(data, 1, length) != length) {
        io->Say("Read Error", true);
        png_error(png, "Read Error");
    }
}

void ZvPngIo::Write(png_structp png, png_bytep data, std::size_t length)
{
    auto *io = static_cast<ZvPngIo *>(png_get_io_ptr(png));
    if (io->file->Write(data, 1, length) != length) {
        io->Say("Write Error", true);
        png_error(png, "Write Error");
    }
}

void ZvPngIo::Flush(png_structp png)
{
    auto *io = static_cast<ZvPngIo *>(png_get_io_ptr(png));
    if (!io->file->Flush()) {
        io->Say("Flush Error", true);
        png_error(png, "Flush Error");
    }
}
