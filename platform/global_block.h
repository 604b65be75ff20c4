// platform/global_block.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A block of memory handed over whole, standing where a global memory handle
// holding a packed DIB would be passed (scanner transfers, clipboard).
class GlobalBlock
{
  public:
    GlobalBlock() = default;
    explicit GlobalBlock(std::vector<std::uint8_t> bytes)
        : mBytes(std::move(bytes))
    {
    }

    const std::uint8_t *data() const { return mBytes.data(); }
    std::size_t size() const { return mBytes.size(); }
    std::vector<std::uint8_t> &bytes() { return mBytes; }

  private:
    std::vector<std::uint8_t> mBytes;
};
