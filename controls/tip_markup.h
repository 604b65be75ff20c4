// controls/tip_markup.h
#pragma once

#include <QString>

// A tip in the markup of the program's tooltip: the title bold, blue and
// centred over a green rule, then the body (which may hold <br> breaks).
inline QString tipMarkup(const char *title, const char *body)
{
    return QStringLiteral("<b><ct=0x0000FF><al_c>") + QString::fromLatin1(title) +
           QStringLiteral("</b><br><ct=0x00AA00><hr=100%></ct><br>") + QString::fromLatin1(body);
}
