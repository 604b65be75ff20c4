// tests/export/progress_dialog_test.cpp
#include "export/progress_dialog.h"
#include "export/progress_text.h"
#include "tests/support/widget_driver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

TEST(ProgressDialog, TitleShowsThePercentageByWholeSteps)
{
    QWidget owner;
    CProgressDialog progress(&owner, QStringLiteral("Export Progress"));
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_EQ(progress.window()->windowTitle(), QStringLiteral("Export Progress"));
    progress.SetRange(0, 7, 1);
    QStringList titles;
    for (int i = 0; i < 7; ++i) {
        progress.StepIt();
        titles << progress.window()->windowTitle();
    }
    EXPECT_EQ(titles, QStringList({"Export Progress [14%]", "Export Progress [28%]", "Export Progress [42%]",
                                   "Export Progress [57%]", "Export Progress [71%]", "Export Progress [85%]",
                                   "Export Progress [100%]"}));
    EXPECT_EQ(namedChild<QProgressBar>(*progress.window(), "progressBar")->value(), 7);
    // The same percentage again leaves the title alone.
    progress.window()->setWindowTitle(QStringLiteral("untouched"));
    EXPECT_EQ(progress.SetPos(7), 7);
    EXPECT_EQ(progress.window()->windowTitle(), QStringLiteral("untouched"));
    // An empty range gives 0 %.
    progress.SetRange(5, 5, 1);
    progress.SetPos(3);
    EXPECT_EQ(progress.window()->windowTitle(), QStringLiteral("Export Progress [0%]"));
}

TEST(ProgressDialog, EscapeCancelsOnlyWhenAsked)
{
    QWidget owner;
    CProgressDialog progress(&owner, QStringLiteral("Copying Progress"));
    QCoreApplication::postEvent(progress.window(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    progress.PumpMessages(false);
    EXPECT_FALSE(progress.IsCancelled());
    QCoreApplication::postEvent(progress.window(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    progress.PumpMessages(true);
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_TRUE(progress.IsCancelled()); // stays cancelled
    // Not modal: Cancel hides the window, which StepIt shows again.
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_FALSE(progress.window()->isVisible());
    progress.StepIt();
    EXPECT_TRUE(progress.window()->isVisible());
}

TEST(ProgressDialog, ModalCancelClosesTheWindowAndTheOwnerWaitsForDestruction)
{
    QWidget owner;
    owner.show();
    auto progress = std::make_unique<CProgressDialog>(&owner, QStringLiteral("Export Progress"));
    ASSERT_TRUE(progress->GoModal());
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(progress->window()->isEnabled());
    progress->SetRange(0, 4, 1);
    progress->SetText(QStringLiteral("Export image file:\r\n[a.jpg]"));
    QAbstractButton *cancel = namedButton(*progress->window(), "cancelButton");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    progress->PumpMessages(true);
    EXPECT_TRUE(progress->IsCancelled());
    EXPECT_EQ(progress->window(), nullptr);
    // Later calls change nothing and do not crash.
    progress->SetText(QStringLiteral("later"));
    EXPECT_EQ(progress->Text(), QStringLiteral("Export image file:\n[a.jpg]"));
    EXPECT_EQ(progress->StepIt(), 0);
    EXPECT_EQ(progress->Pos(), 0);
    EXPECT_FALSE(owner.isEnabled());
    progress.reset();
    EXPECT_TRUE(owner.isEnabled());
}

TEST(ProgressDialog, SurvivesItsOwnerAndItsWindow)
{
    auto owner = std::make_unique<QWidget>();
    owner->show();
    CProgressDialog progress(owner.get(), QStringLiteral("Export Progress"));
    progress.GoModal();
    owner.reset();
    progress.SetText(QStringLiteral("x"));
    progress.StepIt();
    progress.PumpMessages(true);
    delete progress.window();
    progress.SetPos(50);
    progress.Clear();
    progress.Destroy();
    EXPECT_EQ(progress.window(), nullptr);
}

TEST(ProgressDialog, WindowSizedForFourLinesAndTheButtonAtTheRight)
{
    QWidget owner;
    CProgressDialog progress(&owner, QStringLiteral("Export Progress"));
    QWidget *window = progress.window();
    const QLabel *text = namedChild<QLabel>(*window, "progressText");
    const QAbstractButton *cancel = namedButton(*window, "cancelButton");
    const QProgressBar *bar = namedChild<QProgressBar>(*window, "progressBar");
    EXPECT_EQ(text->geometry().topLeft(), QPoint(10, 10));
    EXPECT_EQ(text->width(), 290);
    EXPECT_EQ(window->width(), 310);
    EXPECT_GE(text->height(), 4 * text->fontMetrics().height());
    EXPECT_EQ(cancel->geometry().right(), text->geometry().right());
    EXPECT_EQ(cancel->geometry().top(), text->geometry().bottom() + 1 + 10);
    EXPECT_EQ(bar->geometry().left(), 10);
    EXPECT_EQ(bar->geometry().right(), cancel->geometry().left() - 11);
    EXPECT_EQ(window->height(), text->height() + cancel->height() + 30);
}

TEST(ProgressText, LongTextIsShortenedInTheMiddleBetweenCharacters)
{
    const QString shortText = QStringLiteral("Export image file:\r\n[a.jpg] as [b.JPG]");
    EXPECT_EQ(shortenInMiddle(shortText), shortText);
    const QString first = QStringLiteral("/photos/") + QString(300, QChar(0x00E9)) + QStringLiteral(".jpg");
    const QString second =
        QStringLiteral("/out/") + QString(300, QLatin1Char('x')) + QStringLiteral("END.JPG");
    const QString text =
        QStringLiteral("Export image file:\r\n[") + first + QStringLiteral("] as [") + second + "]";
    const QString shortened = shortenInMiddle(text);
    EXPECT_LE(shortened.toUtf8().size(), kProgressTextBytes - 1);
    EXPECT_GE(shortened.toUtf8().size(), kProgressTextBytes - 4);
    EXPECT_TRUE(shortened.startsWith(QStringLiteral("Export image file:\r\n[/photos/")));
    EXPECT_TRUE(shortened.endsWith(QStringLiteral("END.JPG]")));
    EXPECT_TRUE(shortened.contains(QStringLiteral("...")));
    EXPECT_FALSE(shortened.contains(QChar(QChar::ReplacementCharacter)));
    // Exactly at the limit stays whole; one byte more is shortened.
    EXPECT_EQ(shortenInMiddle(QString(511, QLatin1Char('a'))).size(), 511);
    EXPECT_TRUE(shortenInMiddle(QString(512, QLatin1Char('a'))).contains(QStringLiteral("...")));
}
