// collection/thumb_list.cpp
#include "collection/thumb_list.h"

#include "collection/selected_list.h"
#include "collection/thumb_cache_file.h"
#include "collection/thumb_cell_delegate.h"
#include "collection/thumb_geometry.h"
#include "collection/thumb_list_model.h"
#include "platform/message_box.h"

#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kWatcherDelayMs = 500;

QString withSlash(const QString &folder)
{
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

// Refreshes the list about half a second after a change, from the watch
// thread, through a queued call; it never touches the list's data.
class CThumbList::Watcher : public CFolderWatcher
{
  public:
    explicit Watcher(CThumbList *list)
        : mList(list)
    {
    }
    ~Watcher() override { Stop(); }

  protected:
    void OnFolderChanged(std::uintptr_t, int, const QString &) override
    {
        if (waitForStop(kWatcherDelayMs))
            return;
        QMetaObject::invokeMethod(
            mList, [list = mList] { list->Refresh(true); }, Qt::QueuedConnection);
    }

  private:
    CThumbList *mList;
};

CThumbList::CThumbList(QWidget *parent)
    : QListView(parent)
    , mModel(new ThumbListModel(this))
    , mFilter(DefaultFilter())
    , mLoader([this] {
        QMetaObject::invokeMethod(
            this, [this] { onResultReady(); }, Qt::QueuedConnection);
    })
    , mWatcher(std::make_unique<Watcher>(this))
{
    setModel(mModel);
    mDelegate = new ThumbCellDelegate(
        mModel, [this](const QString &path) { return fileIcon(path); }, this);
    setItemDelegate(mDelegate);
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setFlow(QListView::LeftToRight);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    // Thumbnails drag out as files; a file manager's folder or picture drops in.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    // Static movement left the viewport refusing drops.
    viewport()->setAcceptDrops(true);
    SetIconSpacing(kIconSpacingWidth, kIconSpacingHeight);
    connect(horizontalScrollBar(), &QScrollBar::sliderPressed, this, &CThumbList::pause);
    connect(horizontalScrollBar(), &QScrollBar::sliderReleased, this, &CThumbList::resume);
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, &CThumbList::resume);
    mLoader.Start();
}

CThumbList::~CThumbList()
{
    mWatcher.reset();
    mLoader.Stop();
}

QString CThumbList::DefaultFilter()
{
    return QStringLiteral(
        "bmp;gif;jpg;jpeg;jpe;png;ico;tif;tiff;tga;pcx;wbmp;wmf;emf;j2k;jp2;jbg;webp;avif;jxl;"
        "heic;heif;hif;dng;cr2;cr3;nef;arw;raf;orf;rw2;pef");
}

void CThumbList::SetIconSpacing(int width, int height)
{
    const QSize needed = ThumbGridSize(fontMetrics().height());
    const QSize grid(std::max(width, needed.width()), std::max(height, needed.height()));
    mDelegate->SetGridSize(grid);
    setGridSize(grid);
}

void CThumbList::SetThumbnailMode(bool on)
{
    if (on == mThumbnailMode)
        return;
    mThumbnailMode = on;
    mDelegate->SetThumbnailMode(on);
    QPalette pal = palette();
    if (on) {
        mSavedBackground = pal.color(QPalette::Base);
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    } else {
        pal.setColor(QPalette::Base, mSavedBackground);
    }
    setPalette(pal);
    doItemsLayout();
    viewport()->update();
    if (on)
        schedule();
}

void CThumbList::SetFolder(const QString &folder)
{
    setAddEnabled(false);
    const QString path = withSlash(folder);
    mLoader.SetFolder(path, mUseCache);
    const int done = mModel->PassState().done;
    mModel->Clear();
    if (!mUnreadable.isEmpty()) {
        mUnreadable.clear();
        emit unreadableChanged(mUnreadable);
    }
    setStatus(done != 0 ? QStringLiteral("Total:[0] Images") : QString());
    mFolder = path;
    mKeepOnRefresh = true;
    mPassRunning = false;
    runScan();
    schedule();
}

void CThumbList::WatchFolder(const QString &folder)
{
    if (folder.isEmpty())
        return;
    mWatcher->AddPath(withSlash(folder));
    mWatcher->Start();
}

void CThumbList::UnwatchFolder(const QString &folder)
{
    mWatcher->RemovePath(withSlash(folder));
    mWatcher->Stop();
}

void CThumbList::Refresh(bool fromWatcher)
{
    mKeepOnRefresh = !fromWatcher;
    runScan();
    schedule();
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void CThumbList::runScan()
{
    if (mFolder.isEmpty())
        return;
    const QFileInfo folder(mFolder);
    if (!folder.isDir()) {
        // The folder went away: nothing in it can be shown any more.
        mModel->Clear();
        return;
    }
    if (!folder.isReadable())
        return;
    setUpdatesEnabled(false);
    const int inserted = mModel->Scan(mFolder, mFilter, mKeepOnRefresh);
    setUpdatesEnabled(true);
    if (inserted > 0 && mUseCache)
        mLoader.RequestCacheRead();
    viewport()->update();
}

void CThumbList::schedule()
{
    if (mModel->Count() == 0)
        mPassRunning = false;
    if (mPaused || !mThumbnailMode || mModel->Count() == 0)
        return;
    const std::optional<int> job = mModel->NextJob(firstVisibleIndex());
    mPassRunning = job.has_value();
    if (job)
        mLoader.Post(*job, mModel->PathAt(*job));
    else
        endPass();
    updateStatus();
}

void CThumbList::endPass()
{
    if (mLoader.DropCacheList())
        mLoader.SetCacheDirty();
    const qsizetype unreadable = mUnreadable.size();
    mUnreadable.removeIf([this](const QString &name) { return !QFileInfo::exists(mFolder + name); });
    if (mUnreadable.size() != unreadable)
        emit unreadableChanged(mUnreadable);
    ThumbListModel::Pass &pass = mModel->PassState();
    pass.done = 0;
    if (pass.changed && !pass.newPaths.isEmpty()) {
        saveCache();
        pass.changed = false;
    }
    setAddEnabled(true);
}

void CThumbList::saveCache()
{
    if (!mUseCache)
        return;
    const std::vector<const CThumbObj *> attached = mModel->AttachedThumbs();
    const bool dirty = mLoader.TakeCacheDirty();
    // A folder we may not write into simply keeps no cache.
    if (!QFileInfo(mFolder).isWritable())
        return;
    if (attached.empty())
        mLoader.PostCacheSave(mFolder, {});
    else if (dirty)
        mLoader.PostCacheSave(mFolder, ThumbCacheBytes(mFolder, attached));
}

void CThumbList::onResultReady()
{
    mPendingErrors += mLoader.TakeErrors();
    if (!mPendingErrors.isEmpty())
        QTimer::singleShot(0, this, &CThumbList::showErrors);
    std::optional<ThumbResult> result = mLoader.TakeResult();
    if (!result)
        return;
    const QString path = result->job.path;
    int row = -1;
    const auto outcome = mModel->Deliver(result->job.index, path, std::move(result->thumb), &row);
    if (outcome == ThumbListModel::Delivery::Attached) {
        if (viewMode() == IconMode && mThumbnailMode)
            update(mModel->index(row));
        emit thumbnailDelivered(path);
    }
    if (outcome != ThumbListModel::Delivery::Dropped)
        noteUnreadable(path, outcome == ThumbListModel::Delivery::Removed);
    if (result->job.serial == mLoader.LastSerial())
        schedule();
}

// Shown after the delivery that brought them, once per message.
void CThumbList::showErrors()
{
    const QStringList errors = std::exchange(mPendingErrors, {});
    for (const QString &error : errors) {
        if (mReportedErrors.contains(error))
            continue;
        mReportedErrors.insert(error);
        MessageBox(error, MB_OK, MB_ICONERROR);
    }
}

// A file that failed once and reads now (rewritten, then refreshed) leaves the list.
void CThumbList::noteUnreadable(const QString &path, bool unreadable)
{
    const QString name = QFileInfo(path).fileName();
    if (unreadable == mUnreadable.contains(name))
        return;
    if (unreadable)
        mUnreadable << name;
    else
        mUnreadable.removeAll(name);
    emit unreadableChanged(mUnreadable);
}

void CThumbList::pause()
{
    mPaused = true;
}

void CThumbList::resume()
{
    if (!mPaused)
        return;
    mPaused = false;
    schedule();
}

void CThumbList::setStatus(const QString &text)
{
    if (text == mStatus)
        return;
    mStatus = text;
    emit statusTextChanged(text);
}

void CThumbList::setAddEnabled(bool on)
{
    mAddEnabled = on;
    emit addEnabledChanged(on);
}

void CThumbList::updateStatus()
{
    const int done = mModel->PassState().done;
    QString text = done != 0 ? QStringLiteral("Loading [%1/%2] Images...").arg(done).arg(mModel->Count())
                             : QStringLiteral("Total:[%1] Images").arg(mModel->Count());
    // Files that are not listed because they could not be read are counted,
    // so that they do not vanish without a word.
    if (!mUnreadable.isEmpty())
        text += mUnreadable.size() == 1
                    ? QStringLiteral(", 1 file could not be read")
                    : QStringLiteral(", %1 files could not be read").arg(mUnreadable.size());
    setStatus(text);
}

// The first item not wholly above the visible area. Items are laid out
// row by row, so their bottoms grow with the index.
int CThumbList::firstVisibleIndex() const
{
    const int textHeight = fontMetrics().height();
    int low = 0, high = mModel->Count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const QRect icon = ThumbCellLayout(visualRect(mModel->index(mid)), textHeight).icon;
        if (icon.y() + icon.height() >= 0)
            high = mid;
        else
            low = mid + 1;
    }
    return low < mModel->Count() ? low : 0;
}

QIcon CThumbList::fileIcon(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    const auto found = mIcons.constFind(extension);
    if (found != mIcons.constEnd())
        return *found;
    QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    if (icon.isNull())
        icon = QFileIconProvider().icon(QFileIconProvider::File);
    mIcons.insert(extension, icon);
    return icon;
}

int CThumbList::Count() const
{
    return mModel->Count();
}

QString CThumbList::PathAt(int index) const
{
    return mModel->PathAt(index);
}

const ThumbItem *CThumbList::ItemAt(int index) const
{
    return mModel->Item(index);
}

int CThumbList::CurrentIndex() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void CThumbList::SetCurrentIndex(int index)
{
    const QModelIndex target = mModel->index(index);
    if (!target.isValid())
        return;
    setCurrentIndex(target);
    scrollTo(target);
}

std::vector<int> CThumbList::SelectedIndexes() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CThumbList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        Refresh(false);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    QListView::keyPressEvent(event);
}

void CThumbList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    emit addSelectedRequested();
}

bool CThumbList::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        return showTooltip(event);
    return QListView::viewportEvent(event);
}

// Only a drag from elsewhere: the browser's own thumbnails go to the selected list.
bool CThumbList::answerDrag(QDropEvent *event) const
{
    if (event->source() == this || localPathsOf(event->mimeData()).isEmpty()) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void CThumbList::dragEnterEvent(QDragEnterEvent *event)
{
    answerDrag(event);
}

void CThumbList::dragMoveEvent(QDragMoveEvent *event)
{
    answerDrag(event);
}

// The first dropped path names the folder to show.
void CThumbList::dropEvent(QDropEvent *event)
{
    if (answerDrag(event))
        emit folderDropped(localPathsOf(event->mimeData()).first());
}

// A tooltip over a cell's picture or label, with the file's facts.
bool CThumbList::showTooltip(QEvent *event)
{
    auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    QString text;
    if (index.isValid()) {
        const ThumbCellRects rects = ThumbCellLayout(visualRect(index), fontMetrics().height());
        if (rects.icon.contains(help->pos()) || rects.label.contains(help->pos()))
            text =
                index.data(Qt::ToolTipRole).toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text.left(512), viewport(), visualRect(index));
    return true;
}
