// imagelib/codecs/heif/heif_handles.h
#pragma once

#include <libheif/heif.h>

#include <memory>

// Owners of libheif's objects, so that a thrown failure releases them.
struct HeifContextFree
{
    void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HeifHandleRelease
{
    void operator()(const heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct HeifImageRelease
{
    void operator()(const heif_image *i) const { heif_image_release(i); }
};
struct HeifOptionsFree
{
    void operator()(heif_decoding_options *o) const { heif_decoding_options_free(o); }
};
using HeifContextPtr = std::unique_ptr<heif_context, HeifContextFree>;
using HeifHandlePtr = std::unique_ptr<const heif_image_handle, HeifHandleRelease>;
using HeifImagePtr = std::unique_ptr<const heif_image, HeifImageRelease>;
using HeifOptionsPtr = std::unique_ptr<heif_decoding_options, HeifOptionsFree>;

// Throws libheif's message as a ZvCodecError when err is a failure.
void heifCheck(const heif_error &err);
