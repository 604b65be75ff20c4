// tests/imagelib/image_test.cpp
#include "imagelib/image.h"

#include <gtest/gtest.h>

TEST(Create, NormalisesBitCount)
{
    ZvImage image;
    ASSERT_TRUE(image.Create(10, 10, 16, 3));
    EXPECT_EQ(image.GetBpp(), 24u);
}
