// tests/support/widget_lookup.h
#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>

// The first child of type T (a button, label, radio button) that shows
// text (its access-key marks left out), or nullptr: for controls that carry no object name.
template <typename T> T *childByText(const QWidget *parent, const QString &text)
{
    for (T *w : parent->findChildren<T *>()) {
        if (QString(w->text()).remove(QLatin1Char('&')) == text)
            return w;
    }
    return nullptr;
}

// The window of type T that has no parent (a dialog run on its own, a
// tooltip), named name unless that is empty; nullptr when none is open.
template <typename T> T *topLevelWindow(const QString &name = QString())
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<T *>(w);
        if (window && (name.isEmpty() || window->objectName() == name))
            return window;
    }
    return nullptr;
}
