// tests/imagelib/streams_test.cpp
#include "imagelib/streams/io_file.h"
#include "imagelib/streams/mem_file.h"
#include "tests/support/corpora.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

TEST(MemFile, ReadsCallersBufferWithoutOwningIt)
{
    std::uint8_t data[] = {1, 2, 3, 4, 5};
    {
        ZvMemFile f(data, 5);
        std::uint16_t pairs[3] = {};
        EXPECT_EQ(f.Read(pairs, 2, 3), 2u); // only whole elements
        EXPECT_EQ(f.Tell(), 4);
        EXPECT_EQ(f.GetC(), 5);
        EXPECT_TRUE(f.Eof());
        EXPECT_EQ(f.GetC(), -1);
        EXPECT_EQ(f.Read(pairs, 1, 1), 0u);
    }
    EXPECT_EQ(data[0], 1); // still ours, not freed
}

TEST(MemFile, SeekMayPassTheEndButNotTheStart)
{
    std::uint8_t data[] = {9, 8, 7};
    ZvMemFile f(data, 3);
    EXPECT_TRUE(f.Seek(10, SEEK_FROM_START));
    EXPECT_TRUE(f.Eof());
    EXPECT_TRUE(f.Error());
    std::uint8_t b;
    EXPECT_EQ(f.Read(&b, 1, 1), 0u);
    EXPECT_FALSE(f.Seek(-11, SEEK_FROM_CURRENT));
    EXPECT_EQ(f.Tell(), 10);
    EXPECT_TRUE(f.Seek(-1, SEEK_FROM_END));
    EXPECT_EQ(f.GetC(), 7);
}

TEST(MemFile, GrowsInWholeStepsAndHandsTheBufferOver)
{
    ZvMemFile f;
    ASSERT_TRUE(f.Open());
    std::string big(5000, 'x');
    EXPECT_EQ(f.Write(big.data(), 1, big.size()), big.size());
    EXPECT_EQ(f.Size(), 5000);
    // A write after a seek past the end leaves zeros in the gap.
    ASSERT_TRUE(f.Seek(6000, SEEK_FROM_START));
    EXPECT_TRUE(f.PutC('y'));
    EXPECT_EQ(f.Size(), 6001);
    std::uint8_t *buffer = f.GetBuffer(true);
    f.Close();
    EXPECT_EQ(buffer[4999], 'x');
    EXPECT_EQ(buffer[5500], 0);
    EXPECT_EQ(buffer[6000], 'y');
    std::free(buffer);
}

TEST(MemFile, WritingPastACallersBufferLeavesItIntact)
{
    std::uint8_t data[] = {1, 2};
    ZvMemFile f(data, 2);
    ASSERT_TRUE(f.Seek(2, SEEK_FROM_START));
    const std::uint8_t more[] = {3, 4, 5};
    EXPECT_EQ(f.Write(more, 1, 3), 3u);
    EXPECT_EQ(f.Size(), 5);
    const std::uint8_t *buf = f.GetBuffer(false);
    EXPECT_EQ(std::memcmp(buf, "\1\2\3\4\5", 5), 0);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 2);
}

TEST(IOFile, WithoutAFileEverythingFailsQuietly)
{
    ZvIOFile f;
    std::uint8_t b;
    EXPECT_EQ(f.Read(&b, 1, 1), 0u);
    EXPECT_EQ(f.Write(&b, 1, 1), 0u);
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_EQ(f.Size(), -1);
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.Error(), -1);
    EXPECT_EQ(f.GetC(), -1);
}

TEST(IOFile, OpenRefusesASecondFileAndSizeKeepsThePosition)
{
    const std::string path = scratchDir() + "/io.bin";
    ZvIOFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "w+b"));
    EXPECT_FALSE(f.Open(path.c_str(), "rb"));
    EXPECT_EQ(f.Write("abcdef", 1, 6), 6u);
    ASSERT_TRUE(f.Seek(2, SEEK_FROM_START));
    EXPECT_EQ(f.Size(), 6);
    EXPECT_EQ(f.Tell(), 2);
    EXPECT_EQ(f.GetC(), 'c');
}

TEST(IOFile, ABorrowedStreamIsNotClosed)
{
    std::FILE *fp = std::tmpfile();
    ASSERT_NE(fp, nullptr);
    {
        ZvIOFile f(fp);
        EXPECT_TRUE(f.PutC('z'));
    }
    EXPECT_EQ(std::fseek(fp, 0, SEEK_SET), 0); // still open
    EXPECT_EQ(std::fgetc(fp), 'z');
    std::fclose(fp);
}
