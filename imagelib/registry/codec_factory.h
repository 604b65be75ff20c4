// imagelib/registry/codec_factory.h
#pragma once

#include "imagelib/codecs/codec.h"

#include <cstdint>
#include <memory>

// The codec object for an image type of ZV_MAX_TYPES that has one, or null.
std::unique_ptr<ZvCodec> ZvMakeCodec(std::uint32_t imagetype);

// The codec that content sniffing tries for a type of the sniffing order:
// the JPEG 2000 family codec told type 0 recognises all five of its formats,
// WBMP, having no signature, must fit its file exactly, every other type is
// its own codec.
std::unique_ptr<ZvCodec> ZvMakeSniffingCodec(std::uint32_t imagetype);
