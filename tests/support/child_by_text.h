// tests/support/child_by_text.h
#pragma once

#include <QString>
#include <QWidget>

// The first child of type T (a button, label, radio button) that shows
// text, or nullptr: for controls that carry no object name.
template <typename T> T *childByText(const QWidget *parent, const QString &text)
{
    for (T *w : parent->findChildren<T *>()) {
        if (w->text() == text)
            return w;
    }
    return nullptr;
}
