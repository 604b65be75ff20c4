// tests/collection/thumb_painting_test.cpp
#include "collection/thumb_cell_painter.h"
#include "collection/thumb_geometry.h"
#include "collection/thumb_obj.h"
#include "tests/collection/collection_test_support.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QColor kMenu(212, 208, 200);

struct PaintedCell
{
    QImage image;
    RECT drawn;
    ThumbCellLook look;
};

// A 90 x 60 picture (not reduced) painted into a cell at (0, 0).
PaintedCell paintCell(const QString &name, bool selected, bool listFocus)
{
    const QString path = freshFolder("paint") + name;
    savePicture(path + ".bmp", 90, 60);
    QFile::rename(path + ".bmp", path);
    CThumbObj thumb(path);
    thumb.MakeThumbnail();
    PaintedCell cell;
    const ThumbCellRects rects = ThumbCellLayout(QRect(0, 0, 130, 130), 16);
    cell.look.icon = rects.icon;
    cell.look.label = rects.label;
    cell.look.name = name;
    cell.look.extension = name.mid(name.lastIndexOf('.'));
    cell.look.selected = selected;
    cell.look.listHasFocus = listFocus;
    cell.look.menuColour = kMenu;
    cell.image = QImage(130, 130, QImage::Format_RGB32);
    cell.image.fill(kMenu);
    QPainter painter(&cell.image);
    PaintThumbCell(painter, thumb, cell.look);
    painter.end();
    cell.drawn = thumb.DrawnRect();
    return cell;
}

QRgb at(const PaintedCell &c, int x, int y)
{
    return c.image.pixel(x, y) & 0xFFFFFF;
}

QRgb rgb(QRgb c)
{
    return c & 0xFFFFFF;
}

} // namespace

TEST(Darken, ScalesEachChannelRounded)
{
    EXPECT_EQ(rgb(Darken(qRgb(255, 255, 255), 0)), rgb(qRgb(255, 255, 255)));
    EXPECT_EQ(rgb(Darken(qRgb(200, 100, 50), 30)), rgb(qRgb(176, 88, 44)));     // 176.47, 88.24, 44.12
    EXPECT_EQ(rgb(Darken(qRgb(212, 208, 200), 120)), rgb(qRgb(112, 110, 106))); // 112.2, 110.1, 105.9
    EXPECT_EQ(rgb(Darken(qRgb(10, 10, 10), 255)), rgb(qRgb(0, 0, 0)));
}

TEST(CellPainting, LabelColourByTypeFrameAndEdge)
{
    const PaintedCell jpg = paintCell("photo.jpg", false, true);
    const RECT d = jpg.drawn;
    ASSERT_EQ(d.right - d.left, 90);
    const int labelY = jpg.look.label.y() + 1;
    // Label background from the type table, inside the 3-D edge.
    EXPECT_EQ(at(jpg, jpg.look.icon.x() + 3, labelY), rgb(qRgb(239, 235, 206)));
    EXPECT_EQ(at(paintCell("shot.png", false, true), jpg.look.icon.x() + 3, labelY),
              rgb(qRgb(231, 223, 214)));
    EXPECT_EQ(at(paintCell("scan.xyz", false, true), jpg.look.icon.x() + 3, labelY),
              rgb(qRgb(255, 255, 255)));
    // 3-D edge: grey top-left, white bottom-right.
    EXPECT_EQ(at(jpg, jpg.look.icon.x(), jpg.look.label.y() + 2), rgb(kEdgeShadowColour));
    EXPECT_EQ(at(jpg, jpg.look.icon.x() + 5, jpg.look.label.y() - 1), rgb(kEdgeShadowColour));
    EXPECT_EQ(at(jpg, jpg.look.icon.right(), jpg.look.label.y() + 2), rgb(qRgb(255, 255, 255)));
    // Frame: three pixels on the left and top, in the frame colour.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(at(jpg, d.left + i, d.top + 20), rgb(kFrameColour)) << i;
        EXPECT_EQ(at(jpg, d.left + 20, d.top + i), rgb(kFrameColour)) << i;
    }
    // On the right and bottom two inside; the third pixel, outside, is under the shadow.
    EXPECT_EQ(at(jpg, d.right - 1, d.top + 20), rgb(kFrameColour));
    EXPECT_EQ(at(jpg, d.right - 2, d.top + 20), rgb(kFrameColour));
    EXPECT_EQ(at(jpg, d.left + 20, d.bottom - 1), rgb(kFrameColour));
    EXPECT_NE(at(jpg, d.right - 3, d.top + 20), rgb(kFrameColour));
    EXPECT_NE(at(jpg, d.left + 3, d.top + 20), rgb(kFrameColour));
}

TEST(CellPainting, SelectedColoursFollowTheListFocus)
{
    const PaintedCell focused = paintCell("photo.jpg", true, true);
    const PaintedCell unfocused = paintCell("photo.jpg", true, false);
    const int x = focused.look.icon.x() + 3, y = focused.look.label.y() + 1;
    EXPECT_EQ(at(focused, x, y), rgb(kSelectedFocusColour));
    EXPECT_EQ(at(focused, focused.drawn.left, focused.drawn.top + 20), rgb(kSelectedFocusColour));
    EXPECT_EQ(at(unfocused, x, y), rgb(kSelectedColour));
    EXPECT_EQ(at(unfocused, unfocused.drawn.left + 1, unfocused.drawn.top + 20), rgb(kSelectedColour));
}

TEST(CellPainting, SoftShadowFadesInAtBothEnds)
{
    const PaintedCell c = paintCell("photo.jpg", false, true);
    const RECT d = c.drawn;
    const QRgb base = kMenu.rgb();
    // Right edge, column r = 4 (x = right) and r = 1 (x = right + 3).
    EXPECT_EQ(at(c, d.right, d.top + 2), rgb(base));
    EXPECT_EQ(at(c, d.right, d.top + 5), rgb(Darken(base, 4 * 6 * 2)));
    EXPECT_EQ(at(c, d.right, d.top + 30), rgb(Darken(base, 4 * 30)));
    EXPECT_EQ(at(c, d.right + 3, d.top + 30), rgb(Darken(base, 1 * 30)));
    // Below the bottom right corner the shadow fades out downwards.
    EXPECT_EQ(at(c, d.right, d.bottom), rgb(Darken(base, 4 * 6 * 4)));
    EXPECT_EQ(at(c, d.right, d.bottom + 3), rgb(Darken(base, 4 * 6 * 1)));
    // Bottom edge, row t = 4 (y = bottom) and t = 1 (y = bottom + 3).
    EXPECT_EQ(at(c, d.left + 1, d.bottom + 3), rgb(base));
    EXPECT_EQ(at(c, d.left + 5, d.bottom), rgb(Darken(base, (5 * 6 - 18) * 4)));
    EXPECT_EQ(at(c, d.left + 40, d.bottom), rgb(Darken(base, 4 * 30)));
    EXPECT_EQ(at(c, d.left + 40, d.bottom + 3), rgb(Darken(base, 1 * 30)));
    // Nothing beyond the four pixels.
    EXPECT_EQ(at(c, d.right + 4, d.top + 30), rgb(base));
    EXPECT_EQ(at(c, d.left + 40, d.bottom + 4), rgb(base));
}

TEST(CellPainting, PendingCellShowsTheNameWithoutFrame)
{
    ThumbCellLook look;
    const ThumbCellRects rects = ThumbCellLayout(QRect(0, 0, 130, 130), 16);
    look.icon = rects.icon;
    look.label = rects.label;
    look.name = "waiting.jpg";
    look.extension = ".jpg";
    QImage image(130, 130, QImage::Format_RGB32);
    image.fill(kMenu);
    QPainter painter(&image);
    QPixmap square(32, 32);
    square.fill(Qt::red);
    PaintPendingCell(painter, QIcon(square), look);
    painter.end();
    const QPoint centre = rects.icon.center();
    EXPECT_EQ(image.pixel(centre) & 0xFFFFFF, rgb(qRgb(255, 0, 0)));
    EXPECT_EQ(image.pixel(centre.x() - 17, centre.y()) & 0xFFFFFF, rgb(kMenu.rgb()));
    // No label colour: the label area keeps the background apart from the text.
    EXPECT_EQ(image.pixel(rects.label.x() + 2, rects.label.y() + 1) & 0xFFFFFF, rgb(kMenu.rgb()));
}
