// acquire/media_import.h
#pragma once

#include "platform/volume_files.h"

#include <QString>

#include <optional>
#include <set>

class ImportProgress;

// Copies every picture file found anywhere on a removable volume into one
// folder, flat and byte for byte: a counting pass sizes the progress bar,
// a copying pass copies. Runs on the UI thread and keeps it alive through
// the progress window. The volume is only read; a copy reaches its name
// only when complete. Questions and errors go through MessageBox.
class CMediaImport
{
  public:
    CMediaImport(ImportProgress &progress, QString targetFolder);

    // Both passes over the volume, then "%d files saved to [%s]!".
    // Returns the number of files copied.
    int Run(const QString &source);

    // Number of picture files under folder, sub-folders included.
    int CountPictures(const QString &folder);
    // Copies the picture files under folder into the target folder;
    // the number copied so far is Copied().
    void CopyPictures(const QString &folder);

    int Copied() const { return mCounter; }
    bool Stopped() const { return mStop; }

    // Tests make one file's copy fail part-way.
    void SetCopyFault(std::optional<CopyFault> fault) { mFault = std::move(fault); }

  private:
    enum class Pass { Count, Copy };

    void startPass();
    void walk(const QString &folder, Pass pass);
    bool countFile(const QString &path);
    bool copyFile(const QString &path);
    bool pumpAndCheck();
    void advance(const QString &name);
    void stopIfUnrecoverable(int errorCode);

    ImportProgress &mProgress;
    QString mTarget; // no trailing "/"
    QString mSourceRoot;
    int mCounter = 0;
    bool mStop = false;
    std::set<FolderId> mVisited; // folders met in this pass: no link loop is followed twice
    std::optional<CopyFault> mFault;
};
