// caption/caption_placeholders.cpp
#include "caption/caption_placeholders.h"

#include <QLocale>

#include <cmath>

namespace {

// A counter wider than this is surely a slip, and is left as written.
constexpr int kMaxCounterDigits = 18;

// One decimal where it says something: "2.8", "8", "24".
QString shortNumber(double v)
{
    const double tenths = std::round(v * 10) / 10;
    return tenths == std::floor(tenths) ? QString::number(qlonglong(tenths))
                                        : QString::number(tenths, 'f', 1);
}

// Up to two decimals, without trailing zeros: "24", "4.15", "2.8".
QString focalNumber(double v)
{
    QString text = QString::number(std::round(v * 100) / 100, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// Short exposures as the fraction cameras show ("1/250 s"), long ones in seconds.
QString exposureText(double seconds)
{
    if (seconds >= 0.3)
        return shortNumber(seconds) + QStringLiteral(" s");
    return QStringLiteral("1/%1 s").arg(qlonglong(std::llround(1.0 / seconds)));
}

QString gpsText(double latitude, double longitude)
{
    return QStringLiteral("%1° %2, %3° %4")
        .arg(std::fabs(latitude), 0, 'f', 5)
        .arg(latitude < 0 ? QLatin1Char('S') : QLatin1Char('N'))
        .arg(std::fabs(longitude), 0, 'f', 5)
        .arg(longitude < 0 ? QLatin1Char('W') : QLatin1Char('E'));
}

QString folderName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return {};
    const QString folder = path.left(slash);
    return folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1);
}

QString stemOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

enum class Value { Known, Missing, Invalid };

// The value of one field; Invalid for an unknown name or a bad argument.
Value valueOf(const QString &name, const QString *argument, const PictureFacts &f, QString &out)
{
    const auto known = [&](bool present, const QString &text) {
        out = present ? text : QString();
        return present ? Value::Known : Value::Missing;
    };
    const QString fileName = f.filePath.mid(f.filePath.lastIndexOf(QLatin1Char('/')) + 1);
    if (name == QLatin1String("counter")) {
        int digits = 0;
        if (argument) {
            bool ok = false;
            digits = argument->toInt(&ok);
            if (!ok || digits < 1 || digits > kMaxCounterDigits)
                return Value::Invalid;
        }
        return known(f.counter >= 0, QStringLiteral("%1").arg(f.counter, digits, 10, QLatin1Char('0')));
    }
    if (name == QLatin1String("date")) {
        const QString format = argument ? *argument : kDefaultDateFormat;
        return known(f.taken.isValid(), QLocale().toString(f.taken, format));
    }
    // The other fields take no argument.
    if (argument)
        return Value::Invalid;
    if (name == QLatin1String("file"))
        return known(!fileName.isEmpty(), fileName);
    if (name == QLatin1String("name"))
        return known(!fileName.isEmpty(), stemOf(fileName));
    if (name == QLatin1String("folder")) {
        const QString folder = folderName(f.filePath);
        return known(!folder.isEmpty(), folder);
    }
    if (name == QLatin1String("make"))
        return known(!f.make.isEmpty(), f.make);
    if (name == QLatin1String("model"))
        return known(!f.model.isEmpty(), f.model);
    if (name == QLatin1String("lens"))
        return known(!f.lens.isEmpty(), f.lens);
    if (name == QLatin1String("exposure"))
        return known(f.exposureTime > 0, f.exposureTime > 0 ? exposureText(f.exposureTime) : QString());
    if (name == QLatin1String("aperture"))
        return known(f.fNumber > 0, QStringLiteral("f/") + shortNumber(f.fNumber));
    if (name == QLatin1String("iso"))
        return known(f.iso > 0, QString::number(f.iso));
    if (name == QLatin1String("focal"))
        return known(f.focalLength > 0, focalNumber(f.focalLength) + QStringLiteral(" mm"));
    if (name == QLatin1String("width"))
        return known(f.width > 0, QString::number(f.width));
    if (name == QLatin1String("height"))
        return known(f.height > 0, QString::number(f.height));
    if (name == QLatin1String("gps"))
        return known(f.hasGps, gpsText(f.latitude, f.longitude));
    return Value::Invalid;
}

} // namespace

const std::vector<PlaceholderField> &placeholderFields()
{
    static const std::vector<PlaceholderField> fields = {
        {QStringLiteral("file"), QStringLiteral("File name")},
        {QStringLiteral("name"), QStringLiteral("File name without extension")},
        {QStringLiteral("folder"), QStringLiteral("Folder name")},
        {QStringLiteral("counter"), QStringLiteral("Counter")},
        {QStringLiteral("date"), QStringLiteral("Date taken")},
        {QStringLiteral("make"), QStringLiteral("Camera make")},
        {QStringLiteral("model"), QStringLiteral("Camera model")},
        {QStringLiteral("lens"), QStringLiteral("Lens")},
        {QStringLiteral("exposure"), QStringLiteral("Exposure time")},
        {QStringLiteral("aperture"), QStringLiteral("Aperture")},
        {QStringLiteral("iso"), QStringLiteral("ISO")},
        {QStringLiteral("focal"), QStringLiteral("Focal length")},
        {QStringLiteral("width"), QStringLiteral("Picture width")},
        {QStringLiteral("height"), QStringLiteral("Picture height")},
        {QStringLiteral("gps"), QStringLiteral("GPS position")},
    };
    return fields;
}

QString placeholderLabel(const QString &name)
{
    for (const PlaceholderField &field : placeholderFields()) {
        if (field.name == name)
            return field.label;
    }
    return name;
}

QString ExpandPlaceholders(const QString &text, const PictureFacts &facts, QStringList *missing)
{
    if (!hasPlaceholders(text))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype mark = text.indexOf(QLatin1String("%{"), i);
        if (mark < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        // "%%{" is the escape: the first "%" stays, the second goes.
        if (mark > i && text[mark - 1] == QLatin1Char('%')) {
            out += QStringView(text).mid(i, mark - i);
            out += QLatin1Char('{');
            i = mark + 2;
            continue;
        }
        out += QStringView(text).mid(i, mark - i);
        const qsizetype close = text.indexOf(QLatin1Char('}'), mark + 2);
        const qsizetype nextMark = text.indexOf(QLatin1String("%{"), mark + 2);
        // Without its own "}" the marker is plain text; a later marker is still read.
        if (close < 0 || (nextMark >= 0 && nextMark < close)) {
            out += QLatin1String("%{");
            i = mark + 2;
            continue;
        }
        const QString inner = text.mid(mark + 2, close - mark - 2);
        const qsizetype colon = inner.indexOf(QLatin1Char(':'));
        const QString name = colon < 0 ? inner : inner.left(colon);
        const QString argument = colon < 0 ? QString() : inner.mid(colon + 1);
        QString value;
        switch (valueOf(name, colon < 0 ? nullptr : &argument, facts, value)) {
        case Value::Known: out += value; break;
        case Value::Missing:
            out += value;
            if (missing && !missing->contains(name))
                missing->append(name);
            break;
        case Value::Invalid: out += QStringView(text).mid(mark, close - mark + 1); break;
        }
        i = close + 1;
    }
    return out;
}
