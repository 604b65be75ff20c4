// caption/settings_page_rules.cpp
#include "caption/settings_page_rules.h"

#include "controls/tip_markup.h"

#include <cstdlib>

namespace {

struct Tooltip
{
    int id;
    const char *title;
    const char *body;
};

const Tooltip kTooltips[] = {
    {SettingsPageIds::AlignList, "Text align", "Align text in the textbox"},
    {SettingsPageIds::AnchorList, "Base on the image",
     "Because size of each image may not be different,<br>but we hope that textbox fixed relative to "
     "image.<br>With the option,you can perform above request."},
    {SettingsPageIds::Rotate0, "Rotate Image", "Restore original image."},
    {SettingsPageIds::RotateMinus90, "Rotate Image", "Rotate image counterclockwise."},
    {SettingsPageIds::Rotate90, "Rotate Image", "Rotate image clockwise."},
    {SettingsPageIds::Rotate180, "Rotate Image", "Rotate image by 180 degree."},
    {SettingsPageIds::Font, "Font", "Set font type,font size and forecolor for text."},
    {SettingsPageIds::BackColor, "BackColor", "Set back color for text."},
    {SettingsPageIds::Previous, "Previous image",
     "Display previous image in selected image list,<br>so easy to see textbox position relative to the "
     "image."},
    {SettingsPageIds::Next, "Next image",
     "Display next image in selected image list,<br>so easy to see textbox position relative to the "
     "image."},
    {SettingsPageIds::View, "View image", "View the image with full screen mode in the image list."},
};

} // namespace

int RotationButtonIndex(int degrees)
{
    for (int i = 0; i < 4; ++i) {
        if (kRotationButtonDegrees[i] == degrees)
            return i;
    }
    return -1;
}

bool CanShowPrevious(int row, int count)
{
    return row > 0 && row < count;
}

bool CanShowNext(int row, int count)
{
    return count > 0 && row < count - 1;
}

QString SettingsTooltipMarkup(int controlId)
{
    for (const Tooltip &tip : kTooltips) {
        if (tip.id == controlId)
            return tipMarkup(tip.title, tip.body);
    }
    return QString();
}

QString PropertiesText(std::int64_t width, std::int64_t height, int bitsPerPixel)
{
    const int bits = bitsPerPixel < 0 ? 0 : (bitsPerPixel > 62 ? 62 : bitsPerPixel);
    const std::int64_t colors = std::int64_t(1) << bits;
    QString colorText;
    if (colors < 1024)
        colorText = QString::number(colors);
    else if (colors >= (std::int64_t(1) << 20))
        colorText = QString::number(colors >> 20) + QLatin1Char('M');
    else
        colorText = QString::number(colors >> 10) + QLatin1Char('K');
    return QStringLiteral("%1x%2x%3").arg(width).arg(height).arg(colorText);
}

QString captionTextFromEdit(const QString &edited)
{
    QString text = edited;
    return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

QString editTextFromCaption(const QString &caption)
{
    QString text = caption;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString fontTipMarkup(const QString &face, const QString &drawnFace, int height)
{
    const auto literal = [](QString text) { return text.replace(QStringLiteral("<"), QStringLiteral("<<")); };
    QString line = QStringLiteral("%1, %2 pixels").arg(literal(face)).arg(std::abs(height));
    if (drawnFace.compare(face, Qt::CaseInsensitive) != 0)
        line +=
            QStringLiteral("<br>%1 is not installed: drawn with %2").arg(literal(face), literal(drawnFace));
    return SettingsTooltipMarkup(SettingsPageIds::Font) + QStringLiteral("<br><i>") + line +
           QStringLiteral("</i>");
}
