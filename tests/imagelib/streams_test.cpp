// tests/imagelib/streams_test.cpp
#include "imagelib/mem_file.h"

#include <gtest/gtest.h>

TEST(MemFile, ReadsCallersBuffer)
{
    std::uint8_t data[] = {1, 2, 3};
    ZvMemFile f(data, 3);
    EXPECT_EQ(f.GetC(), 1);
}
