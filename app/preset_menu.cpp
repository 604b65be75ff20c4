// app/preset_menu.cpp
#include "app/preset_menu.h"

#include "platform/message_box.h"

#include <QInputDialog>

namespace {

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

CPresetMenu::CPresetMenu(PresetStore store, JobGetter current, JobSetter apply, QWidget *parent)
    : QMenu(parent)
    , mStore(std::move(store))
    , mCurrent(std::move(current))
    , mApply(std::move(apply))
    , mAskName([](QWidget *parent, const QString &title, const QString &initial) {
        return QInputDialog::getText(parent, title, QStringLiteral("Preset name:"), QLineEdit::Normal,
                                     initial)
            .trimmed();
    })
{
    setObjectName(QStringLiteral("presetMenu"));
    connect(this, &QMenu::aboutToShow, this, &CPresetMenu::rebuild);
    rebuild();
}

// The names change behind the menu (another window, a file manager), so
// the submenus are made when it opens.
void CPresetMenu::rebuild()
{
    clear();
    // clear() leaves the submenus themselves, children of this menu.
    qDeleteAll(findChildren<QMenu *>(Qt::FindDirectChildrenOnly));
    QAction *save = addAction(QStringLiteral("&Save as..."), this, [this] { SaveAs(); });
    save->setObjectName(QStringLiteral("savePreset"));
    addSeparator();
    addNames(QStringLiteral("&Load"), QStringLiteral("loadPresets"),
             [this](const QString &n) { LoadPreset(n); });
    addNames(QStringLiteral("&Rename..."), QStringLiteral("renamePresets"),
             [this](const QString &n) { RenamePreset(n); });
    addNames(QStringLiteral("&Delete"), QStringLiteral("deletePresets"),
             [this](const QString &n) { DeletePreset(n); });
}

void CPresetMenu::addNames(const QString &title, const QString &objectName,
                           const std::function<void(const QString &)> &run)
{
    QMenu *names = addMenu(title);
    names->setObjectName(objectName);
    const std::vector<std::string> all = mStore.List();
    names->setEnabled(!all.empty());
    for (const std::string &name : all) {
        // A "&" in a name is shown, not taken as an access key.
        QAction *action = names->addAction(qs(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(action, &QAction::triggered, this, [run, name = qs(name)] { run(name); });
    }
}

bool CPresetMenu::refused(const std::string &message)
{
    if (message.empty())
        return false;
    MessageBox(qs(message), MB_OK, MB_ICONWARNING);
    return true;
}

bool CPresetMenu::SaveAs()
{
    const QString name = mAskName(parentWidget(), QStringLiteral("Save Preset"), mLastName);
    return !name.isEmpty() && SavePreset(name);
}

bool CPresetMenu::SavePreset(const QString &name)
{
    const std::string n = name.toStdString();
    if (refused(PresetStore::CheckName(n)))
        return false;
    if (mStore.Exists(n) &&
        MessageBox(QStringLiteral("The preset [%1] exists already. Replace it?").arg(name), MB_YESNO,
                   MB_ICONQUESTION) != IDYES)
        return false;
    if (refused(mStore.Save(n, mCurrent())))
        return false;
    mLastName = name;
    return true;
}

bool CPresetMenu::LoadPreset(const QString &name)
{
    const JobPreset current = mCurrent();
    JobPreset loaded;
    if (refused(mStore.Load(name.toStdString(), current.caption, loaded)))
        return false;
    mApply(loaded);
    mLastName = name;
    return true;
}

bool CPresetMenu::RenamePreset(const QString &name)
{
    const QString to = mAskName(parentWidget(), QStringLiteral("Rename Preset"), name);
    if (to.isEmpty() || refused(mStore.Rename(name.toStdString(), to.toStdString())))
        return false;
    if (mLastName == name)
        mLastName = to;
    return true;
}

bool CPresetMenu::DeletePreset(const QString &name)
{
    if (MessageBox(QStringLiteral("Delete the preset [%1]?").arg(name), MB_YESNO, MB_ICONQUESTION) != IDYES)
        return false;
    return !refused(mStore.Remove(name.toStdString()));
}
