// collection/select_page.h
#pragma once

#include <QWidget>

#include <utility>
#include <vector>

class CThumbList;
class SelectPagePixelLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class CSelectedList;
class SelectedImagesModel;
struct ThumbItem;

// The "Select Images" page: the picture browser over the current folder
// above, the selected-image list below, and the buttons that move pictures
// from one to the other. The list is what the export runs over.
// SelectPagePixelLayout places the controls. They carry object names
// (acquireButton, viewButton, folderEdit, browser, statusLabel, addButton,
// addAllButton, removeButton, removeAllButton, selectedList, countLabel).
// Pictures and folders dropped on the list are added; a row dragged within
// it moves, and the export follows the new order. The Folder field takes a
// typed or pasted path, and a folder or picture dropped on the browser
// names a folder too; the window goes there (folderEntered).
// The list shows the page's SelectedImagesModel, which holds the rows; the
// page keeps only the list's selection. UI thread only.
class CSelectPage : public QWidget
{
    Q_OBJECT

  public:
    explicit CSelectPage(QWidget *parent = nullptr);
    ~CSelectPage() override;

    CThumbList *Browser() const { return mBrowser; }
    // The selected images, owned by the page; the export reads its rows.
    SelectedImagesModel &Images() const { return *mImages; }

    // The buttons and their tips in the markup of the program's tooltip,
    // which the window holding the page shows.
    std::vector<std::pair<QWidget *, QString>> MarkupTips() const;

    // Points the browser and its watcher at folder; empty empties the browser.
    void SetFolder(const QString &folder);

    // The selected-image list, as the model holds it. A rotation is in
    // degrees (0, 90, -90 or 180); SetRowRotation ignores any other value.
    int RowCount() const;
    QString RowPath(int row) const;
    int RowRotation(int row) const;
    QString RowText(int row, int column) const;
    void SetRowRotation(int row, int degrees);
    // The selected row, or -1.
    int CurrentRow() const;
    void SelectRow(int row);

    // Adds the browser item unless its path is listed; the row either way.
    int AddOne(const ThumbItem &item);
    void AddSelected();
    void AddAll();
    void RemoveSelected();
    void RemoveAll();
    // Adds the pictures among paths, and the pictures of the folders among
    // them (not their subfolders), in their order; the last one is selected.
    // Returns the number of rows added.
    int AddPaths(const QStringList &paths);
    // Moves row from to row to (both 0 .. RowCount() - 1) and selects it.
    void MoveRow(int from, int to);

  public slots:
    void SelectPreviousImage();
    void SelectNextImage();
    void SelectFirstImage();
    void SelectLastImage();
    void SetCurrentRotation(int degrees);

  signals:
    // A row was selected; an empty path, row -1, when the selection was cleared.
    void currentImageChanged(const QString &path, int rotation, int row, int count);
    // A double click on a row.
    void switchToSettingsRequested();
    // View: the browser's first selected item.
    void viewRequested(const QString &path, int browserIndex);
    void acquireRequested();
    // The user typed a folder's path and pressed Enter, or dropped a folder
    // or a picture on the browser: the text as given.
    void folderEntered(const QString &text);

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void createControls();
    void createList();
    void createLayout();
    void widenColumns(int first, int last);
    void selectAndShow(int row);
    void updateCount();
    void fillProperties(const QString &path);
    void onSelectionChanged();
    void onView();
    void onRowDragged(int from, int insertion);

    SelectPagePixelLayout *mLayout = nullptr;
    CThumbList *mBrowser = nullptr;
    SelectedImagesModel *mImages = nullptr;
    CSelectedList *mList = nullptr;
    QPushButton *mAcquire = nullptr;
    QPushButton *mView = nullptr;
    QLabel *mFolderLabel = nullptr;
    QLineEdit *mFolder = nullptr;
    QLabel *mStatus = nullptr;
    QPushButton *mAdd = nullptr;
    QPushButton *mAddAll = nullptr;
    QPushButton *mRemove = nullptr;
    QPushButton *mRemoveAll = nullptr;
    QLabel *mCount = nullptr;
    QString mWatched;
};
