// acquire/wizard_rules.cpp
#include "acquire/wizard_rules.h"

#include "imagelib/core/image_type.h"

namespace {

struct WizardFormat
{
    const char *extension;
    int type;
};

constexpr WizardFormat kFormats[] = {
    {".JPG", ZV_TYPE_JPG},
    {".BMP", ZV_TYPE_BMP},
    {".TIF", ZV_TYPE_TIF},
    {".PNG", ZV_TYPE_PNG},
};

const WizardFormat &formatAt(int format)
{
    return kFormats[format >= 0 && format < 4 ? format : 0];
}

} // namespace

bool WizardImportsMedia(int device, int source)
{
    return device != kDeviceScanner && source != kSourceTwain;
}

CameraPageEnabling CameraPageEnablingFor(int device, int source)
{
    CameraPageEnabling on;
    const bool twain = device == kDeviceScanner || source == kSourceTwain;
    on.twainRadio = on.mediaRadio = device != kDeviceScanner;
    on.mediaList = !twain;
    on.prefix = on.format = on.defaultSource = on.promptSource = twain;
    return on;
}

QString WizardExampleText(int format, const QString &prefix)
{
    const QString extension = WizardFormatExtension(format);
    return "Example:" + prefix + "0001" + extension + "," + prefix + "0002" + extension;
}

QString WizardFormatExtension(int format)
{
    return QString::fromLatin1(formatAt(format).extension);
}

int WizardFormatType(int format)
{
    return formatAt(format).type;
}

QString CameraPageFinishError(int device, int source, int mediaIndex, const QString &folder)
{
    if (mediaIndex < 0 && WizardImportsMedia(device, source))
        return QStringLiteral("Please select media type!");
    if (folder.isEmpty())
        return QStringLiteral("Saved path can not be empty!");
    return {};
}
