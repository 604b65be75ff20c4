// collection/typed_folder.cpp
#include "collection/typed_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString unquoted(QString text)
{
    text = text.trimmed();
    for (QChar quote : {QChar(u'"'), QChar(u'\'')}) {
        if (text.size() >= 2 && text.startsWith(quote) && text.endsWith(quote))
            return text.mid(1, text.size() - 2);
    }
    return text;
}

} // namespace

TypedFolder folderFromUserText(const QString &text, const QString &home)
{
    QString path = unquoted(text);
    if (path.startsWith(QLatin1String("file:")))
        path = QUrl(path).toLocalFile();
    else if (path == u"~" || path.startsWith(QLatin1String("~/")))
        path = home + path.mid(1);
    if (path.isEmpty())
        return {{}, QStringLiteral("Type the path of a folder, such as %1/Pictures.").arg(home)};
    if (!QDir::isAbsolutePath(path))
        return {{},
                QStringLiteral("Type the whole path of the folder, starting with \"/\": [%1].").arg(path)};
    const QFileInfo info(QDir::cleanPath(path));
    if (!info.exists())
        return {{}, QStringLiteral("The folder [%1] does not exist.").arg(info.filePath())};
    const QFileInfo folder = info.isDir() ? info : QFileInfo(info.absolutePath());
    if (!folder.isReadable() || !folder.isExecutable())
        return {{}, QStringLiteral("The folder [%1] cannot be read.").arg(folder.filePath())};
    return {folder.absoluteFilePath(), {}};
}
