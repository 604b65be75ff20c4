// caption/draw_object_factory.cpp
// Drawing objects made from their run-time class names, as a stream reader
// that meets a class name needs them.
#include "caption/draw_obj.h"
#include "caption/draw_rect.h"
#include "caption/draw_text.h"

#include <cstring>

std::unique_ptr<CDrawObj> CreateDrawObject(const char *className)
{
    if (!className)
        return nullptr;
    const RECT empty;
    if (std::strcmp(className, "CDrawObj") == 0)
        return std::make_unique<CDrawObj>(empty, nullptr);
    if (std::strcmp(className, "CDrawRect") == 0)
        return std::make_unique<CDrawRect>(empty, nullptr);
    if (std::strcmp(className, "CDrawText") == 0)
        return std::make_unique<CDrawText>(empty, nullptr);
    return nullptr;
}
