// fuzz/fuzz_caption_draw.cpp
// Stamps a caption with a hostile box, font and text on a small picture:
// every box, inside, across or outside the picture, must stay within the
// picture's buffer (ASan watches the rows).
#include "caption/caption_geometry.h"
#include "caption/caption_render.h"
#include "imagelib/core/image.h"
#include "platform/headless.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

struct Header
{
    std::uint8_t width, height, bpp, align;
    std::int32_t box[4];
    std::int16_t fontHeight;
    std::uint8_t flags;
    std::uint8_t back;
};

} // namespace

// fontconfig keeps pattern copies that it never frees while Qt resolves
// fonts; they are the library's, not ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    prepareHeadlessQt(true);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Header h;
    if (size < sizeof(h))
        return 0;
    std::memcpy(&h, data, sizeof(h));
    static const std::uint32_t kBpp[] = {1, 4, 8, 24};
    ZvImage picture(1u + h.width % 64, 1u + h.height % 64, kBpp[h.bpp % 4]);
    CaptionSettings caption;
    caption.text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + sizeof(h)), qsizetype(size - sizeof(h)));
    caption.align = h.align % 4;
    caption.font.lfHeight = h.fontHeight;
    caption.font.lfItalic = h.flags & 1;
    caption.font.lfWeight = (h.flags & 2) ? 700 : 400;
    caption.backColor = (h.back & 1) ? kNoBackColor : RGB(h.back, 0, 0);
    const RECT box{h.box[0], h.box[1], h.box[2], h.box[3]};
    if (!DrawCaptionOnPicture(picture, box, caption) || picture.GetBpp() != 24)
        __builtin_trap();
    return 0;
}
