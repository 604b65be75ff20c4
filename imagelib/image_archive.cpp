// imagelib/image_archive.cpp
#include "imagelib/image.h"
#include "platform/archive.h"

void ZvImage::WriteToArchive(ArchiveWriter &)
{
}

void ZvImage::ReadFromArchive(ArchiveReader &)
{
    throw ZvArchiveError("Not a BMP");
}
