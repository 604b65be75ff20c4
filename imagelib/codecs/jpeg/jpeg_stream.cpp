// imagelib/codecs/jpeg/jpeg_stream.cpp
#include "imagelib/codecs/jpeg/jpeg_stream.h"

#include "imagelib/streams/file.h"

#include <cstring>

#include <jerror.h>

namespace {

ZvJpegError *errorOf(j_common_ptr cinfo)
{
    return reinterpret_cast<ZvJpegError *>(cinfo->err);
}

[[noreturn]] void failWith(j_common_ptr cinfo, const char *text)
{
    ZvJpegError *err = errorOf(cinfo);
    std::strncpy(err->message, text, sizeof(err->message) - 1);
    err->message[sizeof(err->message) - 1] = '\0';
    std::longjmp(err->jump, 1);
}

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    ZvJpegError *err = errorOf(cinfo);
    // Without backing store the memory limit shows up as this code.
    if (err->pub.msg_code == JERR_NO_BACKING_STORE)
        failWith(cinfo, "Not enough memory to decode this JPEG file");
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {}

// Level -1 is a warning; trace messages (level >= 0) are ignored. Extraneous
// bytes before a marker are common in camera files and cost no pixels.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    ZvJpegError *err = errorOf(cinfo);
    ++err->pub.num_warnings;
    switch (err->pub.msg_code) {
    case JWRN_JPEG_EOF: err->endedEarly = true; break;
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL: err->corrupt = true; break;
    default: break;
    }
}

void progressMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kZvJpegMaxScans)
        failWith(cinfo, "JPEG file has too many scans");
}

ZvJpegSource *sourceOf(j_decompress_ptr cinfo)
{
    return reinterpret_cast<ZvJpegSource *>(cinfo->src);
}

void initSource(j_decompress_ptr cinfo)
{
    sourceOf(cinfo)->startOfFile = true;
}

// At the end of the data an EOI marker is made up, as libjpeg's own
// sources do, so a truncated file still yields its rows (grey below the cut).
boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    ZvJpegSource *src = sourceOf(cinfo);
    std::size_t n = src->file->Read(src->buffer, 1, kZvJpegBufferSize);
    if (n == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = JOCTET(0xFF);
        src->buffer[1] = JOCTET(JPEG_EOI);
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    ZvJpegSource *src = sourceOf(cinfo);
    if (std::size_t(count) <= src->pub.bytes_in_buffer) {
        src->pub.next_input_byte += count;
        src->pub.bytes_in_buffer -= std::size_t(count);
        return;
    }
    // Large sections (thumbnails, colour profiles) are passed over in the stream.
    count -= long(src->pub.bytes_in_buffer);
    src->pub.bytes_in_buffer = 0;
    src->file->Seek(count, SEEK_FROM_CURRENT);
}

void termSource(j_decompress_ptr) {}

ZvJpegDestination *destinationOf(j_compress_ptr cinfo)
{
    return reinterpret_cast<ZvJpegDestination *>(cinfo->dest);
}

void initDestination(j_compress_ptr cinfo)
{
    ZvJpegDestination *dst = destinationOf(cinfo);
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = kZvJpegBufferSize;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    ZvJpegDestination *dst = destinationOf(cinfo);
    if (dst->file->Write(dst->buffer, 1, kZvJpegBufferSize) != kZvJpegBufferSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = kZvJpegBufferSize;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    ZvJpegDestination *dst = destinationOf(cinfo);
    const std::size_t n = kZvJpegBufferSize - dst->pub.free_in_buffer;
    if (n > 0 && dst->file->Write(dst->buffer, 1, n) != n)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

} // namespace

jpeg_error_mgr *zvJpegErrorInit(ZvJpegError &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = outputMessage;
    err.pub.emit_message = emitMessage;
    err.endedEarly = false;
    err.corrupt = false;
    err.progress = jpeg_progress_mgr();
    err.progress.progress_monitor = progressMonitor;
    err.message[0] = '\0';
    return &err.pub;
}

void zvJpegDecodeSetup(j_decompress_ptr cinfo, ZvJpegSource &src, ZvJpegError &err, ZvFile *file)
{
    src.file = file;
    const std::int64_t start = file->Tell();
    const std::int64_t size = file->Size();
    src.available = start >= 0 && size >= start ? size - start : -1;
    src.startOfFile = true;
    src.pub.init_source = initSource;
    src.pub.fill_input_buffer = fillInputBuffer;
    src.pub.skip_input_data = skipInputData;
    src.pub.resync_to_restart = jpeg_resync_to_restart;
    src.pub.term_source = termSource;
    src.pub.bytes_in_buffer = 0;
    src.pub.next_input_byte = nullptr;
    cinfo->src = &src.pub;
    cinfo->progress = &err.progress;
    cinfo->mem->max_memory_to_use = kZvJpegMaxMemory;
}

void zvJpegDestinationInit(j_compress_ptr cinfo, ZvJpegDestination &dst, ZvFile *file)
{
    dst.file = file;
    dst.pub.init_destination = initDestination;
    dst.pub.empty_output_buffer = emptyOutputBuffer;
    dst.pub.term_destination = termDestination;
    cinfo->dest = &dst.pub;
}
