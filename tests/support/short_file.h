// tests/support/short_file.h
#pragma once

#include "imagelib/streams/mem_file.h"

// A stream with room for a fixed number of bytes that then refuses every
// write, like a full disk. Room 0 refuses from the first byte on.
class ShortFile : public ZvMemFile
{
  public:
    explicit ShortFile(std::size_t room)
        : mRoom(room)
    {
        Open();
    }

    std::size_t Write(const void *buffer, std::size_t size, std::size_t count) override
    {
        if (size * count > mRoom)
            return 0;
        mRoom -= size * count;
        return ZvMemFile::Write(buffer, size, count);
    }

  private:
    std::size_t mRoom;
};
