// collection/select_page.cpp
#include "collection/select_page.h"

#include "collection/select_page_pixel_layout.h"
#include "collection/selected_image.h"
#include "collection/selected_images_model.h"
#include "collection/selected_list.h"
#include "collection/thumb_cell_painter.h"
#include "collection/thumb_item.h"
#include "collection/thumb_list.h"
#include "collection/thumb_list_model.h"
#include "controls/tip_markup.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

// The buttons' tips.
struct ButtonTip
{
    const char *title;
    const char *body;
};

constexpr ButtonTip kAcquireTip = {"Acquire", "Retrieve photos from digital camera(TWAIN device "
                                              "compatible),<br> scanners or removable media for your "
                                              "Digital Camera."};
constexpr ButtonTip kViewTip = {"View image", "View the image with full screen mode in the image list."};
constexpr ButtonTip kAddTip = {"Add", "Add one or more images <br>from the above image list to the "
                                      "below image list."};
constexpr ButtonTip kAddAllTip = {"Add All", "Add all images <br>from the above image list to the below "
                                             "image list."};
constexpr ButtonTip kRemoveTip = {"Remove", "Remove one or more images from the below image list."};
constexpr ButtonTip kRemoveAllTip = {"Remove All", "Remove all images from the below image list."};

// Room around a cell's text, as the list's style draws it.
constexpr int kCellPadding = 12;

} // namespace

CSelectPage::CSelectPage(QWidget *parent)
    : QWidget(parent)
{
    createControls();
    createList();
    createLayout();
    updateCount();
}

CSelectPage::~CSelectPage() = default;

std::vector<std::pair<QWidget *, QString>> CSelectPage::MarkupTips() const
{
    const auto tip = [](const ButtonTip &t) { return tipMarkup(t.title, t.body); };
    return {{mAcquire, tip(kAcquireTip)}, {mView, tip(kViewTip)},     {mAdd, tip(kAddTip)},
            {mAddAll, tip(kAddAllTip)},   {mRemove, tip(kRemoveTip)}, {mRemoveAll, tip(kRemoveAllTip)}};
}

void CSelectPage::createControls()
{
    mAcquire = new QPushButton(QStringLiteral("A&cquire"), this);
    mView = new QPushButton(QStringLiteral("&View"), this);
    mFolderLabel = new QLabel(QStringLiteral("&Folder:"), this);
    mFolder = new QLineEdit(this);
    mFolderLabel->setBuddy(mFolder);
    mFolder->setPlaceholderText(QStringLiteral("Type or paste a folder's path and press Enter"));
    mBrowser = new CThumbList(this);
    mBrowser->SetIconSpacing(130, 119);
    mBrowser->SetThumbnailMode(true);
    mStatus = new QLabel(this);
    mAdd = new QPushButton(QStringLiteral("&Add"), this);
    mAddAll = new QPushButton(QStringLiteral("Add A&ll"), this);
    mRemove = new QPushButton(QStringLiteral("&Remove"), this);
    mRemoveAll = new QPushButton(QStringLiteral("Re&move All"), this);
    mAdd->setEnabled(false);
    mAddAll->setEnabled(false);
    mCount = new QLabel(this);
    mAcquire->setObjectName(QStringLiteral("acquireButton"));
    mView->setObjectName(QStringLiteral("viewButton"));
    mFolder->setObjectName(QStringLiteral("folderEdit"));
    mBrowser->setObjectName(QStringLiteral("browser"));
    mStatus->setObjectName(QStringLiteral("statusLabel"));
    mAdd->setObjectName(QStringLiteral("addButton"));
    mAddAll->setObjectName(QStringLiteral("addAllButton"));
    mRemove->setObjectName(QStringLiteral("removeButton"));
    mRemoveAll->setObjectName(QStringLiteral("removeAllButton"));
    mCount->setObjectName(QStringLiteral("countLabel"));

    connect(mAcquire, &QPushButton::clicked, this, &CSelectPage::acquireRequested);
    connect(mView, &QPushButton::clicked, this, &CSelectPage::onView);
    connect(mAdd, &QPushButton::clicked, this, &CSelectPage::AddSelected);
    connect(mAddAll, &QPushButton::clicked, this, &CSelectPage::AddAll);
    connect(mRemove, &QPushButton::clicked, this, &CSelectPage::RemoveSelected);
    connect(mRemoveAll, &QPushButton::clicked, this, &CSelectPage::RemoveAll);
    connect(mBrowser, &CThumbList::statusTextChanged, mStatus, &QLabel::setText);
    connect(mBrowser, &CThumbList::addEnabledChanged, mAdd, &QWidget::setEnabled);
    connect(mBrowser, &CThumbList::addEnabledChanged, mAddAll, &QWidget::setEnabled);
    connect(mBrowser, &CThumbList::addSelectedRequested, this, &CSelectPage::AddSelected);
    connect(mBrowser, &CThumbList::thumbnailDelivered, this, &CSelectPage::fillProperties);
    connect(mBrowser, &CThumbList::folderDropped, this, &CSelectPage::folderEntered);
    connect(mBrowser, &CThumbList::unreadableChanged, this, [this](const QStringList &names) {
        // The whole count too: at the page's smallest the status is cut short.
        const QString count = names.size() == 1
                                  ? QStringLiteral("1 file could not be read:\n")
                                  : QStringLiteral("%1 files could not be read:\n").arg(names.size());
        mStatus->setToolTip(names.isEmpty() ? QString() : count + names.join(u'\n'));
    });
    mFolder->installEventFilter(this);
}

void CSelectPage::createList()
{
    mImages = new SelectedImagesModel(this);
    mList = new CSelectedList(this);
    mList->setObjectName(QStringLiteral("selectedList"));
    mList->setModel(mImages);
    for (int c = 0; c < SelectedImage::ColumnCount; ++c)
        mList->setColumnWidth(c, kSelectedColumns[c].width);
    mList->verticalHeader()->hide();
    mList->verticalHeader()->setDefaultSectionSize(mList->fontMetrics().height() + 4);
    mList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    mList->setSelectionMode(QAbstractItemView::SingleSelection);
    mList->setSelectionBehavior(QAbstractItemView::SelectRows);
    mList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mList->setShowGrid(false);
    mList->setWordWrap(false);
    mList->installEventFilter(this);
    connect(mList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CSelectPage::onSelectionChanged);
    connect(mList, &QAbstractItemView::doubleClicked, this, &CSelectPage::switchToSettingsRequested);
    connect(mList, &CSelectedList::rowDragged, this, &CSelectPage::onRowDragged);
    connect(mList, &CSelectedList::pathsDropped, this, &CSelectPage::AddPaths);
    connect(mImages, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { widenColumns(first, last); });
    connect(mImages, &QAbstractItemModel::rowsInserted, this, &CSelectPage::updateCount);
    connect(mImages, &QAbstractItemModel::rowsRemoved, this, &CSelectPage::updateCount);
}

void CSelectPage::createLayout()
{
    using Role = SelectPagePixelLayout::Role;
    mLayout = new SelectPagePixelLayout(this);
    mLayout->addWidget(mAcquire, Role::Acquire);
    mLayout->addWidget(mView, Role::View);
    mLayout->addWidget(mFolderLabel, Role::FolderLabel);
    mLayout->addWidget(mFolder, Role::FolderEdit);
    mLayout->addWidget(mBrowser, Role::Browser);
    mLayout->addWidget(mStatus, Role::Status);
    mLayout->addWidget(mAdd, Role::Add);
    mLayout->addWidget(mAddAll, Role::AddAll);
    mLayout->addWidget(mRemove, Role::Remove);
    mLayout->addWidget(mRemoveAll, Role::RemoveAll);
    mLayout->addWidget(mList, Role::List);
    mLayout->addWidget(mCount, Role::Count);
}

// A sunken edge around the browser.
void CSelectPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintEdge3d(painter, mLayout->placed().browser.adjusted(-1, -1, 1, 1), palette().color(QPalette::Dark),
                palette().color(QPalette::Light));
}

bool CSelectPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        RemoveSelected();
        return true;
    }
    // Enter in the Folder field goes to the folder and goes no further: the
    // window would take it for a click on its default button.
    if (watched == mFolder && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit folderEntered(mFolder->text());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CSelectPage::SetFolder(const QString &folder)
{
    if (!mWatched.isEmpty())
        mBrowser->UnwatchFolder(mWatched);
    mBrowser->SetFolder(folder);
    mWatched = mBrowser->Folder();
    if (!mWatched.isEmpty()) {
        mBrowser->WatchFolder(mWatched);
        mFolder->setText(mWatched);
    }
}

int CSelectPage::RowCount() const
{
    return mImages->Count();
}

QString CSelectPage::RowText(int row, int column) const
{
    return mImages->Text(row, column);
}

QString CSelectPage::RowPath(int row) const
{
    return mImages->Path(row);
}

int CSelectPage::RowRotation(int row) const
{
    return mImages->Rotation(row);
}

void CSelectPage::SetRowRotation(int row, int degrees)
{
    mImages->SetRotation(row, degrees);
}

int CSelectPage::CurrentRow() const
{
    const QModelIndexList rows = mList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CSelectPage::SelectRow(int row)
{
    if (row >= 0 && row < RowCount())
        selectAndShow(row);
}

// The columns keep their widths unless a text of the new rows needs more.
void CSelectPage::widenColumns(int first, int last)
{
    const QFontMetrics metrics(mList->font());
    for (int row = first; row <= last; ++row) {
        for (int c = 0; c < SelectedImage::ColumnCount; ++c) {
            const int needed = metrics.horizontalAdvance(mImages->Text(row, c)) + kCellPadding;
            if (c != SelectedImage::Path && needed > mList->columnWidth(c))
                mList->setColumnWidth(c, needed);
        }
    }
}

int CSelectPage::AddOne(const ThumbItem &item)
{
    const int listed = mImages->RowOf(item.entry.path);
    return listed >= 0 ? listed : mImages->Add(SelectedImage::FromItem(item));
}

void CSelectPage::AddSelected()
{
    int last = -1;
    for (int index : mBrowser->SelectedIndexes()) {
        if (const ThumbItem *item = mBrowser->ItemAt(index))
            last = AddOne(*item);
    }
    if (last >= 0)
        selectAndShow(last);
}

void CSelectPage::AddAll()
{
    int last = -1;
    for (int index = 0; index < mBrowser->Count(); ++index)
        last = AddOne(*mBrowser->ItemAt(index));
    if (last >= 0)
        selectAndShow(last);
}

void CSelectPage::RemoveSelected()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    mImages->Remove(row);
    // The list announced its new selection while the row was still there:
    // again with the row and count as they are now.
    onSelectionChanged();
}

void CSelectPage::RemoveAll()
{
    mImages->Clear();
    onSelectionChanged();
}

int CSelectPage::AddPaths(const QStringList &paths)
{
    const int before = RowCount();
    const QString filter = CThumbList::DefaultFilter();
    int last = -1;
    const auto addFile = [&](const QFileInfo &file) {
        if (!file.isFile() || !ThumbListModel::PassesFilter(file.fileName(), filter))
            return;
        // The browser's item when it shows this file: its thumbnail gives the properties.
        const QString path = file.absoluteFilePath();
        for (int index = 0; index < mBrowser->Count(); ++index) {
            if (mBrowser->PathAt(index) == path) {
                last = AddOne(*mBrowser->ItemAt(index));
                return;
            }
        }
        ThumbItem item;
        item.entry = FileEntry::From(file);
        last = AddOne(item);
    };
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            addFile(info);
            continue;
        }
        for (const QFileInfo &file :
             QDir(path).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware))
            addFile(file);
    }
    if (last >= 0)
        selectAndShow(last);
    return RowCount() - before;
}

void CSelectPage::MoveRow(int from, int to)
{
    if (!mImages->Move(from, to))
        return;
    // A selected row moves with its selection, which then does not change:
    // the Batch Settings page still hears of its new place.
    if (CurrentRow() == to)
        onSelectionChanged();
    selectAndShow(to);
}

// insertion counts the rows as they stand before the move.
void CSelectPage::onRowDragged(int from, int insertion)
{
    MoveRow(from, insertion > from ? insertion - 1 : insertion);
}

void CSelectPage::selectAndShow(int row)
{
    mList->selectRow(row);
    mList->scrollTo(mImages->index(row, 0));
}

// A row added before its thumbnail was made gets its properties now.
void CSelectPage::fillProperties(const QString &path)
{
    const int row = mImages->RowOf(path);
    if (row < 0 || mImages->At(row).picture)
        return;
    for (int index = 0; index < mBrowser->Count(); ++index) {
        const ThumbItem *item = mBrowser->ItemAt(index);
        if (item->entry.path != path)
            continue;
        if (const std::optional<PictureSize> size = PictureSizeOf(*item))
            mImages->SetPictureSize(path, *size);
        return;
    }
}

void CSelectPage::updateCount()
{
    mCount->setText(SelectedCountText(RowCount()));
}

void CSelectPage::onSelectionChanged()
{
    const int row = CurrentRow();
    if (row < 0) {
        emit currentImageChanged(QString(), 0, -1, RowCount());
        return;
    }
    const QString path = RowPath(row);
    if (!path.isEmpty())
        emit currentImageChanged(path, RowRotation(row), row, RowCount());
}

void CSelectPage::onView()
{
    const std::vector<int> selected = mBrowser->SelectedIndexes();
    if (selected.empty())
        return;
    emit viewRequested(mBrowser->PathAt(selected.front()), selected.front());
}

void CSelectPage::SelectPreviousImage()
{
    const int row = CurrentRow();
    if (row > 0)
        selectAndShow(row - 1);
}

void CSelectPage::SelectNextImage()
{
    const int row = CurrentRow();
    if (row >= 0 && row + 1 < RowCount())
        selectAndShow(row + 1);
}

void CSelectPage::SelectFirstImage()
{
    if (RowCount() > 0)
        selectAndShow(0);
}

void CSelectPage::SelectLastImage()
{
    if (RowCount() > 0)
        selectAndShow(RowCount() - 1);
}

void CSelectPage::SetCurrentRotation(int degrees)
{
    const int row = CurrentRow();
    if (row >= 0)
        SetRowRotation(row, degrees);
}
