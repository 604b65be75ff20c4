// imagelib/streams/mem_file.h
#pragma once

#include "imagelib/streams/file.h"

#include <cstdint>

// A ZvFile over bytes in memory. Over a caller's buffer it reads (and may
// overwrite) that buffer without owning it; opened empty it owns a buffer
// that grows in whole 4096-byte steps. Released with free().
class ZvMemFile : public ZvFile
{
  public:
    ZvMemFile(std::uint8_t *buffer = nullptr, std::size_t size = 0);
    ~ZvMemFile() override;
    ZvMemFile(const ZvMemFile &) = delete;
    ZvMemFile &operator=(const ZvMemFile &) = delete;

    // Starts an empty owned buffer; false when a buffer is attached already.
    bool Open();
    // The buffer; with detach the caller takes it over and Close keeps it.
    std::uint8_t *GetBuffer(bool detach = true);

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

  private:
    bool Alloc(std::size_t needed);

    std::uint8_t *mBuffer;
    std::size_t mSize;
    bool mFreeOnClose = false;
    std::int64_t mPosition = 0;
    std::size_t mEdge; // allocated capacity
};
