// imagelib/codecs/jpeg2000/jas_reader.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ZvFile;

// Buffered reading of a ZvFile for the small formats of the JPEG 2000
// family codec. Every failure throws ZvCodecError with the message given at
// construction ("PNM file is truncated", ...), so format readers stay linear.
class ZvJasReader
{
  public:
    ZvJasReader(ZvFile *stream, std::string truncated);

    // The next byte, or -1 at the end of the stream.
    int Get();
    int Peek();
    // Exactly `size` bytes or a throw.
    void Read(void *buffer, std::size_t size);
    void Skip(std::uint64_t size);
    // Bytes not yet consumed, or -1 when the stream cannot tell.
    std::int64_t Remaining() const;
    // Throws unless at least `size` more bytes are there (when known), so
    // that a header cannot make us allocate for data the file lacks.
    void Require(std::uint64_t size) const;
    [[noreturn]] void Truncated() const;

    // Netpbm-style header fields: whitespace and '#' comments (to the end
    // of the line) are skipped first. A number above `max` throws `invalid`.
    void SkipSpaceAndComments();
    std::uint32_t ReadDecimal(std::uint32_t max, const char *invalid);

  private:
    bool Fill();

    ZvFile *mStream;
    std::string mTruncated;
    std::int64_t mLeft = -1; // unread bytes in the stream behind the buffer
    std::size_t mPos = 0;
    std::size_t mLen = 0;
    std::uint8_t mBuf[4096];
};
