// caption/placeholder_button.h
#pragma once

#include <QPushButton>

class QMenu;
class QPlainTextEdit;

// "Insert Field": a button whose menu lists the caption's fields
// (caption/caption_placeholders.h) by their labels; choosing one writes its
// marker at the text cursor of the caption's text field (replacing a
// selection) and gives that field the focus back. The date offers a few
// formats, each shown with today's date in it. The text field is not owned
// and must outlive the button. UI thread only.
class CPlaceholderButton : public QPushButton
{
    Q_OBJECT

  public:
    explicit CPlaceholderButton(QPlainTextEdit *text, QWidget *parent = nullptr);

    // Writes marker at the text field's cursor.
    void InsertMarker(const QString &marker);

  private:
    void buildMenu(QMenu *menu);

    QPlainTextEdit *mText;
};
