// fuzz/fuzz_wmf_decode.cpp
// Plays a hostile metafile (WMF, placeable WMF, EMF with EMF+) onto a new
// picture: every record must stay within the file, the object tables and
// the picture, and the drawing work within its budget.
#include "imagelib/codecs/wmf/codec_wmf.h"
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"
#include "platform/headless.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

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
    // Small pictures keep runs short; the work budget scales with the
    // picture, so the same limits are exercised.
    ZvImageWMF::SetMaxSide(256);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImage image;
    image.Decode(&file, ZV_TYPE_WMF);
    return 0;
}
