// imagelib/streams/io_file.h
#pragma once

#include "imagelib/streams/file.h"

#include <cstdio>

// A ZvFile over a stdio stream. A stream handed in stays the caller's;
// one opened with Open is closed by Close or the destructor.
class ZvIOFile : public ZvFile
{
  public:
    explicit ZvIOFile(std::FILE *fp = nullptr);
    ~ZvIOFile() override;
    ZvIOFile(const ZvIOFile &) = delete;
    ZvIOFile &operator=(const ZvIOFile &) = delete;

    // False when a stream is already attached or fopen fails.
    bool Open(const char *name, const char *mode);

    bool Close() override;
    std::size_t Read(void *buffer, std::size_t size, std::size_t count) override;
    std::size_t Write(const void *buffer, std::size_t size, std::size_t count) override;
    bool Seek(std::int64_t offset, int origin) override;
    std::int64_t Tell() override;
    std::int64_t Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    long GetC() override;

    std::FILE *GetFile() const { return mFp; }

  private:
    std::FILE *mFp;
    bool mCloseFile = false;
};
