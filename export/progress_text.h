// export/progress_text.h
#pragma once

#include <QString>

// The progress window formats its message into a buffer of this many bytes,
// the terminating zero included.
constexpr int kProgressTextBytes = 512;

// text when its UTF-8 form fits into maxBytes - 1 bytes; otherwise its start
// and end joined by "...", cut only between characters, so that both the
// first words and the end of the last path stay readable.
QString shortenInMiddle(const QString &text, int maxBytes = kProgressTextBytes);
