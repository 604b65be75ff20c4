// collection/folder_tree.h
#pragma once

#include <QSet>
#include <QTreeWidget>

#include <memory>

// The folder tree on the left of the main window, laid out like a desktop's
// places: "Desktop" at the top, holding "Home", "Computer" (the root "/"
// and every mounted volume; no path of its own) and the desktop's folders.
// Only folders are listed, never hidden ones; a folder's children are read
// when it is first opened or selected. F5 reads the opened folders again,
// and so does a change in one of them (a folder watcher on the opened
// folders, about half a second later): new folders appear, removed ones go.
class CFolderTree : public QTreeWidget
{
    Q_OBJECT

  public:
    explicit CFolderTree(QWidget *parent = nullptr);
    ~CFolderTree() override;

    // Builds the tree anew from the desktop and selects the desktop.
    void Populate();
    // The path of the selected folder; false for a node without one.
    bool SelectedFolderPath(QString &path) const;
    // Rebuilds the tree and walks it to folder (a trailing "/" is ignored),
    // opening the folders on the way, and selects it. False when some level
    // has no such folder; the deepest folder reached is selected then.
    bool SelectPath(const QString &folder);

    // Where the tree starts; tests point them at folders of their own.
    void SetRoots(const QString &desktop, const QString &home, const QStringList &volumes);
    // The mounted volumes worth showing under "Computer", "/" first.
    static QStringList MountedVolumes();

    static QString PathOf(const QTreeWidgetItem *item);
    static bool IsComputer(const QTreeWidgetItem *item);

  public slots:
    // Re-reads the volumes under "Computer" (after one arrived or left).
    void RefreshVolumes(const QStringList &volumes);
    // Reads the subfolders of every folder read so far again, keeping what
    // is opened and selected where those folders still exist.
    void Refresh();

  signals:
    // The selection moved; the path is empty for "Computer".
    void folderSelected(const QString &path);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    class Watcher;

    QTreeWidgetItem *addFolder(QTreeWidgetItem *parent, const QString &path, const QString &text);
    void fillChildren(QTreeWidgetItem *item);
    void fillComputer(QTreeWidgetItem *computer);
    void onCurrentChanged(QTreeWidgetItem *current);
    QTreeWidgetItem *walk(const QString &target, bool &found);
    void refreshChildren(QTreeWidgetItem *item);
    void watch(QTreeWidgetItem *item, bool on);
    void unwatchTree(QTreeWidgetItem *item);

    QString mDesktop;
    QString mHome;
    QStringList mVolumes;
    QSet<QString> mWatched; // opened folders, each with its trailing "/"
    std::unique_ptr<Watcher> mWatcher;
};
