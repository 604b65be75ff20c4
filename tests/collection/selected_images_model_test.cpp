// tests/collection/selected_images_model_test.cpp
#include "collection/selected_images_model.h"

#include <QMimeData>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

SelectedImage image(const QString &path, int rotation = 0)
{
    SelectedImage row;
    row.path = path;
    row.name = path.mid(path.lastIndexOf(u'/') + 1);
    row.rotation = rotation;
    return row;
}

// The model with rows /p/<name> for each name, turned as given.
void fill(SelectedImagesModel &model, const QStringList &names, const std::vector<int> &turns = {})
{
    for (int i = 0; i < names.size(); ++i)
        model.Add(image("/p/" + names[i], std::size_t(i) < turns.size() ? turns[std::size_t(i)] : 0));
}

QStringList names(const SelectedImagesModel &model)
{
    QStringList list;
    for (int row = 0; row < model.Count(); ++row)
        list << model.At(row).name;
    return list;
}

// Every listed path finds its own row again.
void expectRowsFound(const SelectedImagesModel &model)
{
    for (int row = 0; row < model.Count(); ++row)
        EXPECT_EQ(model.RowOf(model.Path(row)), row) << model.Path(row).toStdString();
}

} // namespace

TEST(SelectedImagesModel, AddRefusesAListedPathAndGivesItsRow)
{
    SelectedImagesModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    EXPECT_EQ(model.Add(image("/p/a.jpg")), 0);
    EXPECT_EQ(model.Add(image("/p/b.jpg")), 1);
    EXPECT_EQ(model.Add(image("/p/a.jpg", 90)), 0);
    EXPECT_EQ(model.Rotation(0), 0); // the listed row stays as it was
    // Another file on this file system, not a duplicate.
    EXPECT_EQ(model.Add(image("/p/A.jpg")), 2);
    EXPECT_EQ(model.Count(), 3);
    ASSERT_EQ(inserted.size(), 3);
    EXPECT_EQ(inserted[2][1].toInt(), 2);
    EXPECT_EQ(inserted[2][2].toInt(), 2);
    EXPECT_EQ(model.RowOf("/p/c.jpg"), -1);
}

TEST(SelectedImagesModel, RemoveAndClearForgetThePaths)
{
    SelectedImagesModel model;
    fill(model, {"a", "b", "c", "d"});
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.Remove(1);
    EXPECT_EQ(names(model), (QStringList{"a", "c", "d"}));
    expectRowsFound(model);
    EXPECT_EQ(model.RowOf("/p/b"), -1);
    // The rows after it moved up: a path added again lands at the end.
    EXPECT_EQ(model.Add(image("/p/b")), 3);
    EXPECT_EQ(model.Add(image("/p/d")), 2);
    model.Remove(-1);
    model.Remove(4);
    EXPECT_EQ(model.Count(), 4);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 1);

    model.Clear();
    EXPECT_EQ(model.Count(), 0);
    EXPECT_EQ(model.RowOf("/p/a"), -1);
    ASSERT_EQ(removed.size(), 2);
    EXPECT_EQ(removed[1][1].toInt(), 0);
    EXPECT_EQ(removed[1][2].toInt(), 3);
    model.Clear(); // nothing to announce
    EXPECT_EQ(removed.size(), 2);
    EXPECT_EQ(model.Add(image("/p/a")), 0);
}

// Down and up, the turns go with their pictures; the view hears one move
// with Qt's destination (counted before the move), and an index it holds
// follows the row.
TEST(SelectedImagesModel, MovedRowsKeepTheirTurns)
{
    SelectedImagesModel model;
    fill(model, {"a", "b", "c", "d"}, {90, 0, -90, 180});
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    const QPersistentModelIndex heldA = model.index(0, SelectedImage::Rotated);

    ASSERT_TRUE(model.Move(0, 2));
    EXPECT_EQ(names(model), (QStringList{"b", "c", "a", "d"}));
    EXPECT_EQ(model.Rotation(0), 0);
    EXPECT_EQ(model.Rotation(1), -90);
    EXPECT_EQ(model.Rotation(2), 90);
    EXPECT_EQ(model.Rotation(3), 180);
    expectRowsFound(model);
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0][1].toInt(), 0);
    EXPECT_EQ(moved[0][2].toInt(), 0);
    EXPECT_EQ(moved[0][4].toInt(), 3);
    EXPECT_EQ(heldA.row(), 2);
    EXPECT_EQ(heldA.data().toString(), "90");

    ASSERT_TRUE(model.Move(3, 0));
    EXPECT_EQ(names(model), (QStringList{"d", "b", "c", "a"}));
    EXPECT_EQ(model.Text(0, SelectedImage::Rotated), "180");
    EXPECT_EQ(model.Text(3, SelectedImage::Rotated), "90");
    expectRowsFound(model);
    ASSERT_EQ(moved.size(), 2);
    EXPECT_EQ(moved[1][4].toInt(), 0);
    EXPECT_EQ(heldA.row(), 3);

    for (const auto &[from, to] : {std::pair{1, 1}, {-1, 0}, {0, 4}, {4, 0}})
        EXPECT_FALSE(model.Move(from, to)) << from << " " << to;
    EXPECT_EQ(moved.size(), 2);
}

TEST(SelectedImagesModel, TurnsWrapIntoTheFourRotations)
{
    const struct
    {
        int from, by, to;
    } turns[] = {{0, 90, 90},   {90, 90, 180},   {180, 90, -90}, {-90, 90, 0},
                 {0, -90, -90}, {-90, -90, 180}, {180, -90, 90}, {90, -90, 0},
                 {180, 180, 0}, {-90, 360, -90}, {90, -450, 0}};
    for (const auto &t : turns)
        EXPECT_EQ(TurnedBy(t.from, t.by), t.to) << t.from << " by " << t.by;

    SelectedImagesModel model;
    fill(model, {"a", "b"});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(model.Turn(1, -90));
    EXPECT_TRUE(model.Turn(1, -90));
    EXPECT_EQ(model.Rotation(1), 180);
    EXPECT_EQ(model.Rotation(0), 0);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[1][0].toModelIndex(), model.index(1, SelectedImage::Rotated));
    EXPECT_TRUE(model.Turn(1, 90));
    EXPECT_EQ(model.Text(1, SelectedImage::Rotated), "-90");

    // Values no row can hold are refused and change nothing.
    for (const int degrees : {45, 270, -180, 360})
        EXPECT_FALSE(model.SetRotation(0, degrees)) << degrees;
    EXPECT_FALSE(model.Turn(0, 45));
    EXPECT_FALSE(model.SetRotation(2, 90));
    EXPECT_FALSE(model.Turn(-1, 90));
    EXPECT_EQ(model.Rotation(0), 0);
}

// The cells' texts as the list has always shown them, from the values.
TEST(SelectedImagesModel, CellsShowTheListsTexts)
{
    SelectedImagesModel model;
    SelectedImage row = image("/photos/day/IMG_0001.JPG", -90);
    row.size = 1234567;
    row.typeName = "JPEG image";
    row.modified = QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9));
    row.picture = PictureSize{640, 480, 24};
    model.Add(row);
    SelectedImage bare = image("/photos/day/b.png");
    bare.size = 999;
    bare.picture = PictureSize{32, 32, 8};
    model.Add(bare);
    model.Add(image("/photos/day/c.png"));

    const char *texts[] = {"IMG_0001.JPG", "1,234,567",
                           "JPEG image",   "2024-03-05 07:08:09",
                           "640x480x16M",  "/photos/day/IMG_0001.JPG",
                           "-90"};
    ASSERT_EQ(model.columnCount(), 7);
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(model.data(model.index(0, c)).toString(), texts[c]) << c;
        const int align = model.data(model.index(0, c), Qt::TextAlignmentRole).toInt();
        EXPECT_EQ(align, int(Qt::AlignVCenter | (c == SelectedImage::Size ? Qt::AlignRight : Qt::AlignLeft)))
            << c;
    }
    EXPECT_EQ(model.Text(1, SelectedImage::Size), "999");
    EXPECT_EQ(model.Text(1, SelectedImage::Properties), "32x32x256");
    EXPECT_EQ(model.Text(1, SelectedImage::Rotated), "0");
    EXPECT_EQ(model.Text(2, SelectedImage::Properties), "");
    EXPECT_EQ(model.Text(3, SelectedImage::Name), "");
    EXPECT_FALSE(model.data(model.index(0, 7)).isValid());

    const char *headings[] = {"Name", "Size", "Type", "Modified", "Properties", "Path", "Rotated(\")"};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), headings[c]);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsDragEnabled);
}

// A thumbnail made after the row was added fills its properties once.
TEST(SelectedImagesModel, PropertiesArriveOnceWithTheThumbnail)
{
    SelectedImagesModel model;
    fill(model, {"a", "b"});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetPictureSize("/p/b", PictureSize{40, 30, 24});
    model.SetPictureSize("/p/b", PictureSize{1, 1, 1});
    model.SetPictureSize("/p/gone", PictureSize{1, 1, 1});
    EXPECT_EQ(model.Text(1, SelectedImage::Properties), "40x30x16M");
    EXPECT_EQ(model.Text(0, SelectedImage::Properties), "");
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(1, SelectedImage::Properties));
}

// What the export and a row dragged within the list carry.
TEST(SelectedImagesModel, ExportRowsAndDraggedRows)
{
    SelectedImagesModel model;
    fill(model, {QString::fromUtf8("été.jpg"), "b.png", "c.tif"}, {0, 90, -90});
    model.Move(2, 0);
    const std::vector<ExportRow> rows = model.ExportRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "c.tif");
    EXPECT_EQ(rows[0].rotation, -90);
    EXPECT_EQ(rows[1].path, "/p/\xC3\xA9t\xC3\xA9.jpg");
    EXPECT_EQ(rows[1].rotation, 0);
    EXPECT_EQ(rows[2].name, "b.png");
    EXPECT_EQ(rows[2].rotation, 90);

    const std::unique_ptr<QMimeData> mime(model.mimeData({model.index(2, 3), model.index(0, 0)}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->data(QString::fromLatin1(SelectedImagesModel::kRowFormat)), "2");
    EXPECT_EQ(model.mimeData({}), nullptr);
}
