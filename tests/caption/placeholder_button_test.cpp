// tests/caption/placeholder_button_test.cpp
#include "caption/placeholder_button.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

QAction *entry(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

TEST(PlaceholderButton, MenuWritesMarkersAtTheCursorOverTheSelection)
{
    QPlainTextEdit text;
    text.setPlainText(QStringLiteral("Photo  of day"));
    CPlaceholderButton button(&text);
    EXPECT_EQ(button.text(), QStringLiteral("&Insert Field"));
    QTextCursor cursor = text.textCursor();
    cursor.setPosition(6);
    text.setTextCursor(cursor);
    QAction *counter = entry(button.menu(), QStringLiteral("Counter"));
    ASSERT_TRUE(counter);
    counter->trigger();
    EXPECT_EQ(text.toPlainText(), QStringLiteral("Photo %{counter} of day"));

    cursor = text.textCursor();
    cursor.setPosition(text.toPlainText().size() - 3);
    cursor.setPosition(text.toPlainText().size(), QTextCursor::KeepAnchor);
    text.setTextCursor(cursor);
    QAction *date = entry(button.menu(), QStringLiteral("Date taken"));
    ASSERT_TRUE(date && date->menu());
    // The first format is the default, written without an argument; the others carry theirs.
    const QList<QAction *> formats = date->menu()->actions();
    ASSERT_GE(formats.size(), 2);
    formats[0]->trigger();
    EXPECT_EQ(text.toPlainText(), QStringLiteral("Photo %{counter} of %{date}"));
    formats[1]->trigger();
    EXPECT_EQ(text.toPlainText(), QStringLiteral("Photo %{counter} of %{date}%{date:yyyy-MM-dd}"));
}
