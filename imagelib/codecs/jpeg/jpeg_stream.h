// imagelib/codecs/jpeg/jpeg_stream.h
// libjpeg's source, destination and error managers over ZvFile. Only the
// JPEG codec includes this header, so jpeglib.h stays out of the others.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

class ZvFile;

constexpr std::size_t kZvJpegBufferSize = 4096;
// No encoder writes more than a few dozen scans; thousands of tiny ones make
// a small file take minutes to decode.
constexpr int kZvJpegMaxScans = 500;
// Working memory libjpeg may take for one picture (coefficient buffers of
// progressive files, the two-pass quantiser), besides the picture itself.
constexpr long kZvJpegMaxMemory = 1024L * 1024 * 1024;

// error_exit must not return: it formats the library's text into message
// and jumps back to the setjmp on jump. The frames between that setjmp and
// the library call hold no objects with destructors.
struct ZvJpegError
{
    jpeg_error_mgr pub;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    // Warnings that mean the rows delivered are not all the file's own:
    // libjpeg fills what it cannot read with grey and carries on.
    bool endedEarly; // the data stopped before the last row
    bool corrupt;    // data the decoder had to skip or resynchronise over
};

struct ZvJpegSource
{
    jpeg_source_mgr pub;
    ZvFile *file;
    std::int64_t available; // bytes from the start of the JPEG to the end of the stream, or -1
    bool startOfFile;
    JOCTET buffer[kZvJpegBufferSize];
};

struct ZvJpegDestination
{
    jpeg_destination_mgr pub;
    ZvFile *file;
    JOCTET buffer[kZvJpegBufferSize];
};

// Installs err as the error manager of cinfo (call before jpeg_create_*);
// warnings are only noted (endedEarly, corrupt), errors jump.
jpeg_error_mgr *zvJpegErrorInit(ZvJpegError &err);
// The source manager, the scan limit and the memory limit of a decode.
void zvJpegDecodeSetup(j_decompress_ptr cinfo, ZvJpegSource &src, ZvJpegError &err, ZvFile *file);
void zvJpegDestinationInit(j_compress_ptr cinfo, ZvJpegDestination &dst, ZvFile *file);
