// export/quality_check.cpp
#include "export/quality_check.h"

#include "platform/profile_store.h"

QString checkUnsignedField(const QString &text, unsigned lower, unsigned upper, unsigned &value)
{
    const QString trimmed = text.trimmed();
    bool ok =
        !trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('-')) && !trimmed.startsWith(QLatin1Char('+'));
    const qulonglong number = ok ? trimmed.toULongLong(&ok, 10) : 0;
    if (!ok)
        return QStringLiteral("Please enter a positive integer.");
    if (number < lower || number > upper)
        return QStringLiteral("Please enter an integer between %1 and %2.").arg(lower).arg(upper);
    value = unsigned(number);
    return QString();
}

int leadingNumber(const QString &text)
{
    return profileAtoi(text.toStdString());
}
