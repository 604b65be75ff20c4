// export/quality_check.h
#pragma once

#include <QString>

// Reads a number field as the dialogs do: an unsigned whole number within
// lower..upper. Empty when the text passes (value then holds it), else the
// message the user sees.
QString checkUnsignedField(const QString &text, unsigned lower, unsigned upper, unsigned &value);

// Decimal text read like atoi: leading digits, none giving 0.
int leadingNumber(const QString &text);
