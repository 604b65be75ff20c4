// imagelib/codecs/tiff/tiff_client.h
#pragma once

#include <tiffio.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>

class ZvFile;

// A libtiff handle over a ZvFile through client procedures. The TIFF starts
// where the stream stands when Open is called; its offsets count from there.
// libtiff's error text lands in this object (the last error is kept),
// never on stderr: the handlers are per handle, so decodes on several
// threads do not share them. The stream stays the caller's.
// Writes are gathered into blocks: libtiff writes one small strip at a
// time, and a stdio stream would pass most of them on as system calls.
class ZvTiffClient
{
  public:
    explicit ZvTiffClient(ZvFile *file);
    ~ZvTiffClient();
    ZvTiffClient(const ZvTiffClient &) = delete;
    ZvTiffClient &operator=(const ZvTiffClient &) = delete;

    // mode as for TIFFClientOpen ("r", "w", "a", ...). False on failure.
    bool Open(const char *mode);
    TIFF *Handle() const { return mTif; }
    // Writes what is pending and closes; false when any write failed.
    bool Close();
    // The last error libtiff reported, or an empty text.
    const char *LibraryError() const { return mError; }
    // Bytes from the start of the TIFF to the end of the stream, or -1.
    std::int64_t Available() const;

  private:
    static tmsize_t ReadProc(thandle_t h, void *buf, tmsize_t size);
    static tmsize_t WriteProc(thandle_t h, void *buf, tmsize_t size);
    static toff_t SeekProc(thandle_t h, toff_t off, int whence);
    static int CloseProc(thandle_t h);
    static toff_t SizeProc(thandle_t h);
    static int MapProc(thandle_t h, void **base, toff_t *size);
    static void UnmapProc(thandle_t h, void *base, toff_t size);
    static int ErrorHandler(TIFF *tif, void *user, const char *module, const char *fmt, va_list ap);
    static int WarningHandler(TIFF *tif, void *user, const char *module, const char *fmt, va_list ap);
    bool FlushPending();

    ZvFile *mFile;
    std::int64_t mBase = 0;
    std::int64_t mPos = -1; // the stream's position as far as we moved it; -1 unknown
    std::int64_t mEnd = -1; // the stream's length as far as we know it; -1 unknown
    TIFF *mTif = nullptr;
    std::unique_ptr<std::uint8_t[]> mPending; // written bytes not yet handed to the stream
    std::size_t mPendingBytes = 0;
    bool mWriteFailed = false;
    char mError[200] = {}; // filled inside libtiff's callbacks: no allocation there
};
