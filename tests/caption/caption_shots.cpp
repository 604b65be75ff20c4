// tests/caption/caption_shots.cpp
// Screenshots of the Batch Settings page, its colour palette and the
// full-screen viewer, rendered off screen into PNG files for looking at:
//   caption_shots <picture> <output folder>
#include "caption/color_picker.h"
#include "caption/draw_text.h"
#include "caption/font_color_dialog.h"
#include "caption/palette_drop_down.h"
#include "caption/preview_view.h"
#include "caption/settings_page.h"
#include "collection/viewer/full_screen_view.h"
#include "collection/viewer/picture_sequence.h"
#include "controls/markup_tip.h"
#include "platform/headless.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTabWidget>

#include <cstdio>

namespace {

struct OneFile : PictureSequence
{
    QString path;
    int Count() const override { return 1; }
    QString PathAt(int) const override { return path; }
    int RotationAt(int) const override { return 0; }
    int Current() const override { return 0; }
    void SetCurrent(int) override {}
};

void save(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    if (!image.save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessQt(true);
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: caption_shots <picture> <output folder>\n");
        return 2;
    }
    const QString picture = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));

    // The page at the main window's usual size and at a large one.
    QTabWidget tabs;
    auto *page = new CSettingsPage;
    auto *preview = page->findChild<CPreviewView *>(QStringLiteral("preview"));
    tabs.addTab(new QWidget, QStringLiteral("Select Images"));
    tabs.addTab(page, QStringLiteral("Batch Settings"));
    tabs.setCurrentIndex(1);
    tabs.resize(1000, 640);
    tabs.show();
    page->ShowImage(picture, 0, 0, 3);
    page->WaitForPicture();
    CaptionSettings c = preview->CaptionBox()->GetCaption();
    c.text = QStringLiteral("Summer 2026\r\nwww.zelventa.example");
    c.backColor = RGB(255, 255, 224);
    c.textColor = RGB(139, 0, 0);
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {c.offsets.right - c.offsets.left + 20, 80, 20, 20};
    page->SetCaption(c); // the controls show the caption
    QApplication::processEvents();
    save(tabs.grab().toImage(), out, "settings_page.png");
    // The caption's Style and Box tabs, at this size and at the page's size
    // in a main window of the minimum size.
    auto *captionTabs = page->findChild<QTabWidget *>(QStringLiteral("captionTabs"));
    const char *tabNames[3] = {"text", "style", "box"};
    for (const QSize size : {QSize(1000, 640), QSize(556, 530)}) {
        tabs.resize(size);
        for (int i = 0; i < 3; ++i) {
            captionTabs->setCurrentIndex(i);
            QApplication::processEvents();
            save(tabs.grab().toImage(), out,
                 QStringLiteral("settings_page_%1_%2.png").arg(QLatin1String(tabNames[i])).arg(size.width()));
        }
    }
    captionTabs->setCurrentIndex(0);
    tabs.resize(1800, 1100);
    QApplication::processEvents();
    page->WaitForPicture();
    QApplication::processEvents();
    save(tabs.grab().toImage(), out, "settings_page_large.png");
    tabs.resize(1000, 640);
    QApplication::processEvents();

    // The anchor list's tip, as the pointer resting on it shows it.
    CMarkupTip tip;
    tip.Create(&tabs);
    for (const auto &[control, markup] : page->MarkupTips())
        tip.AddTool(control, markup);
    tip.ConfigureAsPage();
    for (const auto &[control, markup] : page->MarkupTips()) {
        if (markup.contains(QStringLiteral("Base on the image"))) {
            tip.ShowTip(control, control->mapToGlobal(QPoint(10, 10)));
            QApplication::processEvents();
            save(tip.grab().toImage(), out, "tooltip.png");
        }
    }
    tip.HideTip();

    auto *picker = page->findChild<CColorPicker *>(QStringLiteral("backColor"));
    picker->click();
    QApplication::processEvents();
    if (CPaletteDropDown *down = picker->findChild<CPaletteDropDown *>())
        save(down->grab().toImage(), out, "palette.png");

    CFontColorDialog fonts(preview->CaptionBox()->GetFont(), preview->CaptionBox()->GetTextColor());
    fonts.show();
    QApplication::processEvents();
    save(fonts.grab().toImage(), out, "font_dialog.png");

    OneFile seq;
    seq.path = picture;
    CFullScreenView view(seq, page);
    view.WaitForPicture();
    QImage screen(1280, 800, QImage::Format_RGB32);
    QPainter p(&screen);
    view.PaintView(p, screen.size());
    p.end();
    save(screen, out, "viewer.png");
    return 0;
}
