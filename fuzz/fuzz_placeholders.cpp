// fuzz/fuzz_placeholders.cpp
// Expands hostile caption text (markers, escapes, arguments, broken UTF-8)
// with a picture that has every fact and with one that has none.
#include "caption/caption_placeholders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    PictureFacts full;
    full.filePath = QStringLiteral("/a/b/c.d.jpg");
    full.counter = 42;
    full.width = 4000;
    full.height = 3000;
    full.taken = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
    full.make = full.model = full.lens = QStringLiteral("x");
    full.exposureTime = 1e-9;
    full.fNumber = 1e3;
    full.iso = 1;
    full.focalLength = 0.001;
    full.hasGps = true;
    full.latitude = -90;
    full.longitude = 180;
    QStringList missing;
    ExpandPlaceholders(text, full, &missing);
    ExpandPlaceholders(text, PictureFacts(), &missing);
    return 0;
}
