// acquire/media_import.cpp
#include "acquire/media_import.h"

#include "acquire/import_progress.h"
#include "acquire/picture_types.h"
#include "platform/message_box.h"

#include <QFile>

#include <cerrno>
#include <vector>

namespace {

std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    return folder;
}

} // namespace

CMediaImport::CMediaImport(ImportProgress &progress, QString targetFolder)
    : mProgress(progress)
    , mTarget(withoutTrailingSlash(std::move(targetFolder)))
{
}

int CMediaImport::Run(const QString &source)
{
    mSourceRoot = withoutTrailingSlash(source);
    mProgress.SetPos(0);
    mStop = false;
    const int count = CountPictures(mSourceRoot);
    mProgress.SetRange(0, count, 1);
    mProgress.SetPos(0);
    mStop = false;
    CopyPictures(mSourceRoot);
    MessageBox(QStringLiteral("%1 files saved to [%2]!").arg(mCounter).arg(mTarget));
    return mCounter;
}

int CMediaImport::CountPictures(const QString &folder)
{
    startPass();
    walk(withoutTrailingSlash(folder), Pass::Count);
    return mCounter;
}

void CMediaImport::CopyPictures(const QString &folder)
{
    if (mSourceRoot.isEmpty())
        mSourceRoot = withoutTrailingSlash(folder);
    startPass();
    walk(withoutTrailingSlash(folder), Pass::Copy);
}

// The target folder counts as seen, so a target inside the volume is never
// walked and its fresh copies are not met again.
void CMediaImport::startPass()
{
    mCounter = 0;
    mVisited.clear();
    FolderId target;
    if (VolumeFolderId(localPath(mTarget), target))
        mVisited.insert(target);
}

// Entries in the file system's order; a sub-folder is walked when met.
// A false from a file's step ends this folder's walk.
void CMediaImport::walk(const QString &folder, Pass pass)
{
    FolderId id;
    if (!VolumeFolderId(localPath(folder), id) || !mVisited.insert(id).second)
        return;
    std::vector<VolumeEntry> entries;
    std::string error;
    if (!ListVolumeFolder(localPath(folder), entries, error))
        return;
    for (const VolumeEntry &entry : entries) {
        const QString path = folder + '/' + QFile::decodeName(entry.name.c_str());
        if (entry.folder) {
            walk(path, pass);
            continue;
        }
        if (!(pass == Pass::Count ? countFile(path) : copyFile(path)))
            return;
    }
}

bool CMediaImport::pumpAndCheck()
{
    mProgress.PumpMessages();
    if (mProgress.IsCancelled())
        mStop = true;
    return !mStop;
}

bool CMediaImport::countFile(const QString &path)
{
    if (PictureTypeOf(ExtensionOf(fileNameOf(path))) == -1)
        return true;
    if (!pumpAndCheck())
        return false;
    mProgress.SetText(QStringLiteral("Searching image file:\r\n[%1]").arg(fileNameOf(path)));
    ++mCounter;
    return true;
}

bool CMediaImport::copyFile(const QString &path)
{
    if (!pumpAndCheck())
        return false;
    const QString name = fileNameOf(path);
    if (PictureTypeOf(ExtensionOf(name)) == -1)
        return true;
    const QString target = mTarget + '/' + name;
    bool overwrite = false;
    if (VolumePathExists(localPath(target))) {
        const int answer =
            MessageBox(QStringLiteral("File already exists,overwrite?"), MB_YESNOCANCEL, MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            mStop = true;
            return false;
        }
        if (answer != IDYES) {
            advance(name); // the user keeps the file already there
            return true;
        }
        overwrite = true;
    }
    const CopyResult result =
        CopyVolumeFile(localPath(path), localPath(target), overwrite, mFault ? &*mFault : nullptr);
    if (!result.ok) {
        MessageBox(QString::fromLocal8Bit(result.error.c_str()), MB_OK, MB_ICONINFORMATION);
        stopIfUnrecoverable(result.errorCode);
        return false;
    }
    ++mCounter;
    advance(name);
    return true;
}

void CMediaImport::advance(const QString &name)
{
    mProgress.StepIt();
    mProgress.SetText(QStringLiteral("Copying image file:\r\n[%1]").arg(name));
}

// A full or read-only target, or a volume pulled out, would fail every
// following file with the same message; the run ends instead.
void CMediaImport::stopIfUnrecoverable(int errorCode)
{
    const bool targetGone = errorCode == ENOSPC || errorCode == EDQUOT || errorCode == EROFS;
    FolderId root;
    const bool sourceGone = !VolumeFolderId(localPath(mSourceRoot), root);
    if (targetGone || sourceGone || errorCode == ENODEV || errorCode == ENXIO)
        mStop = true;
}
