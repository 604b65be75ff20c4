// collection/thumb_list.h
#pragma once

#include "collection/folder_watcher.h"
#include "collection/thumb_loader.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QListView>
#include <QSet>

#include <memory>
#include <vector>

class ThumbCellDelegate;
class ThumbListModel;
struct ThumbItem;

// The picture browser: every picture file of one folder as a cell with its
// thumbnail, made on a loader thread (visible cells first) or taken from the
// folder's cache file, and refreshed when the folder watcher sees a change.
// The UI thread lists, paints and delivers; it never decodes and never
// waits for the loader.
class CThumbList : public QListView
{
    Q_OBJECT

  public:
    explicit CThumbList(QWidget *parent = nullptr);
    ~CThumbList() override;

    // The files listed: ";"-separated extensions, "*" for all.
    static QString DefaultFilter();

    void SetIconSpacing(int width, int height);
    // Makes the list show thumbnails and lets the loader run.
    void SetThumbnailMode(bool on);
    void SetUseCache(bool on) { mUseCache = on; }

    // Shows folder (with or without the trailing "/"); empty clears the list.
    void SetFolder(const QString &folder);
    const QString &Folder() const { return mFolder; }
    // Watches a folder for changes and refreshes on them (about half a
    // second later); Unwatch forgets it and stops the watch thread.
    void WatchFolder(const QString &folder);
    void UnwatchFolder(const QString &folder);

    // The items, for the page and the viewer.
    int Count() const;
    QString PathAt(int index) const;
    const ThumbItem *ItemAt(int index) const;
    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    // Selected items in the browser's order.
    std::vector<int> SelectedIndexes() const;
    // Whether Add and Add All may be used (not during a folder's first pass).
    bool AddEnabled() const { return mAddEnabled; }
    // A thumbnail is being made or waited for.
    bool PassRunning() const { return mPassRunning; }
    // The names of the folder's files that passed the filter but could not
    // be read as pictures (and so are not listed), in the order found.
    const QStringList &UnreadableFiles() const { return mUnreadable; }

  public slots:
    // A new pass over the folder. The user's refresh keeps changed items and
    // sorts; the watcher's drops changed items and adds them anew first.
    void Refresh(bool fromWatcher = false);

  signals:
    void statusTextChanged(const QString &text);
    void addEnabledChanged(bool enabled);
    // A double click: the page adds the selected items.
    void addSelectedRequested();
    // A thumbnail arrived for the item with this path.
    void thumbnailDelivered(const QString &path);
    // A folder, or a picture standing for its folder, was dropped on the
    // browser from a file manager.
    void folderDropped(const QString &path);
    void unreadableChanged(const QStringList &names);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

  private:
    class Watcher;

    void runScan();
    void schedule();
    void endPass();
    void saveCache();
    void onResultReady();
    void showErrors();
    void pause();
    void resume();
    void setStatus(const QString &text);
    void setAddEnabled(bool on);
    void updateStatus();
    int firstVisibleIndex() const;
    QIcon fileIcon(const QString &path);
    bool showTooltip(QEvent *event);
    bool answerDrag(QDropEvent *event) const;
    void noteUnreadable(const QString &path, bool unreadable);

    ThumbListModel *mModel;
    ThumbCellDelegate *mDelegate;
    QString mFolder;
    QString mFilter;
    bool mUseCache = true;
    bool mThumbnailMode = false;
    bool mPaused = false; // the horizontal scroll thumb is being dragged
    bool mKeepOnRefresh = true;
    bool mAddEnabled = false;
    bool mPassRunning = false;
    QString mStatus;
    QColor mSavedBackground;
    QHash<QString, QIcon> mIcons; // by extension
    QSet<QString> mReportedErrors;
    QStringList mPendingErrors;
    QStringList mUnreadable; // file names
    ThumbLoader mLoader;
    std::unique_ptr<Watcher> mWatcher;
};
