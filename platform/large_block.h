// platform/large_block.h
#pragma once

#include <cstddef>

// Asks the kernel to back the 2 MB-aligned interior of a large heap block
// with huge pages. A fresh 36 MB picture block otherwise takes about 9000
// page faults on first touch, which on a virtual machine costs several times
// a memcpy of the block. A hint only: nothing happens for blocks under 4 MB
// or where the kernel declines. Any thread.
void zvAdviseLargeBlock(void *block, std::size_t size);
