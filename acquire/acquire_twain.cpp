// acquire/acquire_twain.cpp
#include "acquire/acquire_twain.h"

#include "acquire/acquire_settings.h"
#include "acquire/numbered_name.h"
#include "acquire/transfer_picture.h"
#include "acquire/wizard_rules.h"
#include "export/format_ready.h"
#include "imagelib/core/image.h"
#include "platform/message_box.h"

#include <QFile>

CAcquireTwain::CAcquireTwain(AcquireSettings &settings, std::function<QString()> defaultFolder,
                             std::function<void(const QString &)> saved, QStringList managerLibraries)
    : CTwainConnection(std::move(managerLibraries))
    , mSettings(settings)
    , mDefaultFolder(std::move(defaultFolder))
    , mSaved(std::move(saved))
{
}

int CAcquireTwain::DecideTransfer(const TW_IMAGEINFO &)
{
    return 0;
}

bool CAcquireTwain::MayCloseOnRequest()
{
    return true;
}

// A picture that cannot be decoded or saved is lost without a message; the
// image library writes through a temporary name, so no half file remains.
void CAcquireTwain::OnImageTransferred(const std::uint8_t *data, std::size_t size, const TW_IMAGEINFO &)
{
    if (mSettings.saveFolder.isEmpty())
        mSettings.saveFolder = mDefaultFolder();
    const QString folder = mSettings.saveFolder;
    bool listed = false;
    const QString name =
        NextFreeNumberedName(folder, mSettings.prefix, WizardFormatExtension(mSettings.format), listed);
    if (!listed)
        return;
    if (name.isEmpty()) {
        MessageBox(QStringLiteral("Could't save image file!"));
        return;
    }
    ZvImage image;
    if (!data || !LoadTransferred(data, size, image))
        return;
    const int type = WizardFormatType(mSettings.format);
    if (!makeReadyFor(image, std::uint32_t(type)))
        return;
    const QString path = folder.endsWith('/') ? folder + name : folder + '/' + name;
    if (image.Save(QFile::encodeName(path).constData(), std::uint32_t(type)) && mSaved)
        mSaved(path);
}
