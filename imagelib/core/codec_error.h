// imagelib/core/codec_error.h
#pragma once

#include <stdexcept>

// Inside a codec (or the picture's own readers of stored records) a failure
// may throw its message; the code that threw catches it at its boundary and
// stores it as the last error. Nothing escapes the library.
class ZvCodecError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

// A file or picture beyond a limit the codec keeps (ZvErrorKind::TooLarge),
// as opposed to one that is damaged.
class ZvCodecTooLarge : public ZvCodecError
{
  public:
    using ZvCodecError::ZvCodecError;
};
