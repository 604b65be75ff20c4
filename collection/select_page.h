// collection/select_page.h
#pragma once

#include "export/export_row_source.h"

#include <QWidget>

#include <utility>
#include <vector>

class CThumbList;
class SelectPagePixelLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
struct SelectedImage;
struct ThumbItem;

// The "Select Images" page: the picture browser over the current folder
// above, the selected-image list below, and the buttons that move pictures
// from one to the other. The list is what the export runs over.
// SelectPagePixelLayout places the controls. They carry object names
// (acquireButton, viewButton, folderEdit, browser, statusLabel, addButton,
// addAllButton, removeButton, removeAllButton, selectedList, countLabel).
// UI thread only.
class CSelectPage : public QWidget, public ExportRowSource
{
    Q_OBJECT

  public:
    explicit CSelectPage(QWidget *parent = nullptr);
    ~CSelectPage() override;

    CThumbList *Browser() const { return mBrowser; }

    // The buttons and their tips in the markup of the program's tooltip,
    // which the window holding the page shows.
    std::vector<std::pair<QWidget *, QString>> MarkupTips() const;

    // Points the browser and its watcher at folder; empty empties the browser.
    void SetFolder(const QString &folder);

    // The selected-image list.
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

    std::vector<ExportRow> ExportRows() const override;

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

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void createControls();
    void createList();
    void createLayout();
    void appendRow(const SelectedImage &image);
    void selectAndShow(int row);
    void updateCount();
    void fillProperties(const QString &path);
    void onSelectionChanged();
    void onView();

    SelectPagePixelLayout *mLayout = nullptr;
    CThumbList *mBrowser = nullptr;
    QTableWidget *mList = nullptr;
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
