// imagelib/streams/io_file.cpp
#include "imagelib/streams/io_file.h"

ZvIOFile::ZvIOFile(std::FILE *fp)
    : mFp(fp)
{
}

ZvIOFile::~ZvIOFile()
{
    Close();
}

bool ZvIOFile::Open(const char *name, const char *mode)
{
    if (mFp)
        return false;
    mFp = std::fopen(name, mode);
    if (!mFp)
        return false;
    mCloseFile = true;
    return true;
}

bool ZvIOFile::Close()
{
    int result = 0;
    if (mFp && mCloseFile)
        result = std::fclose(mFp);
    if (mCloseFile)
        mFp = nullptr;
    mCloseFile = false;
    return result == 0;
}

std::size_t ZvIOFile::Read(void *buffer, std::size_t size, std::size_t count)
{
    if (!mFp || size == 0)
        return 0;
    return std::fread(buffer, size, count, mFp);
}

std::size_t ZvIOFile::Write(const void *buffer, std::size_t size, std::size_t count)
{
    if (!mFp || size == 0)
        return 0;
    return std::fwrite(buffer, size, count, mFp);
}

bool ZvIOFile::Seek(std::int64_t offset, int origin)
{
    if (!mFp)
        return false;
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2)
        return false;
    return fseeko(mFp, off_t(offset), kWhence[origin]) == 0;
}

std::int64_t ZvIOFile::Tell()
{
    if (!mFp)
        return 0;
    return ftello(mFp);
}

std::int64_t ZvIOFile::Size()
{
    if (!mFp)
        return -1;
    const off_t pos = ftello(mFp);
    fseeko(mFp, 0, SEEK_END);
    const off_t size = ftello(mFp);
    fseeko(mFp, pos, SEEK_SET);
    return size;
}

bool ZvIOFile::Flush()
{
    return mFp && std::fflush(mFp) == 0;
}

bool ZvIOFile::Eof()
{
    return !mFp || std::feof(mFp) != 0;
}

long ZvIOFile::Error()
{
    return mFp ? std::ferror(mFp) : -1;
}

long ZvIOFile::GetC()
{
    if (!mFp)
        return -1;
    const int c = std::getc(mFp);
    return c == EOF ? -1 : c;
}
