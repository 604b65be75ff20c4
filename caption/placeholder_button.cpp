// caption/placeholder_button.cpp
#include "caption/placeholder_button.h"

#include "caption/caption_placeholders.h"

#include <QDateTime>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>

namespace {

// Formats the date entry offers; any Qt date format may be typed by hand.
const char *const kDateFormats[] = {"yyyy-MM-dd HH:mm", "yyyy-MM-dd", "dd.MM.yyyy",
                                    "d MMMM yyyy",      "MMMM yyyy",  "HH:mm"};

QString markerOf(const QString &name, const QString &argument = QString())
{
    return argument.isEmpty() ? QStringLiteral("%{%1}").arg(name)
                              : QStringLiteral("%{%1:%2}").arg(name, argument);
}

} // namespace

CPlaceholderButton::CPlaceholderButton(QPlainTextEdit *text, QWidget *parent)
    : QPushButton(tr("&Insert Field"), parent)
    , mText(text)
{
    setObjectName(QStringLiteral("insertField"));
    setToolTip(tr("Writes a field into the caption that each picture fills in with its own value"));
    auto *menu = new QMenu(this);
    buildMenu(menu);
    setMenu(menu);
}

void CPlaceholderButton::buildMenu(QMenu *menu)
{
    for (const PlaceholderField &field : placeholderFields()) {
        if (field.name == QLatin1String("date")) {
            QMenu *dates = menu->addMenu(field.label);
            const QDateTime now = QDateTime::currentDateTime();
            for (const char *format : kDateFormats) {
                const QString f = QString::fromLatin1(format);
                const QString marker = markerOf(field.name, f == kDefaultDateFormat ? QString() : f);
                dates->addAction(QLocale().toString(now, f), this, [this, marker] { InsertMarker(marker); });
            }
            continue;
        }
        menu->addAction(field.label, this, [this, marker = markerOf(field.name)] { InsertMarker(marker); });
        if (field.name == QLatin1String("counter")) {
            const QString padded = markerOf(field.name, QStringLiteral("4"));
            menu->addAction(tr("Counter, four digits"), this, [this, padded] { InsertMarker(padded); });
        }
    }
}

void CPlaceholderButton::InsertMarker(const QString &marker)
{
    if (!mText)
        return;
    mText->insertPlainText(marker);
    mText->setFocus();
}
