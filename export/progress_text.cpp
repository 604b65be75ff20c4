// export/progress_text.cpp
#include "export/progress_text.h"

#include <QList>

namespace {

int utf8Bytes(const QString &text)
{
    return int(text.toUtf8().size());
}

} // namespace

QString shortenInMiddle(const QString &text, int maxBytes)
{
    const int limit = maxBytes - 1;
    if (utf8Bytes(text) <= limit)
        return text;
    const QString dots = QStringLiteral("...");
    if (limit <= utf8Bytes(dots))
        return QString();
    // Whole code points on both sides: never split a surrogate pair.
    const QList<uint> points = text.toUcs4();
    qsizetype head = 0;
    qsizetype tail = points.size();
    int used = utf8Bytes(dots);
    auto bytesOf = [](uint point) { return point < 0x80 ? 1 : point < 0x800 ? 2 : point < 0x10000 ? 3 : 4; };
    bool takeHead = true;
    while (head < tail) {
        const uint next = takeHead ? points[head] : points[tail - 1];
        if (used + bytesOf(next) > limit)
            break;
        used += bytesOf(next);
        if (takeHead)
            ++head;
        else
            --tail;
        takeHead = !takeHead;
    }
    const auto *data = reinterpret_cast<const char32_t *>(points.constData());
    return QString::fromUcs4(data, head) + dots + QString::fromUcs4(data + tail, points.size() - tail);
}
