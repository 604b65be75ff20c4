// tests/support/widget_lookup.h
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QString>
#include <QStringList>
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

// The texts among window's visible buttons, labels with a buddy and extra
// that carry no access key or one an earlier text already took.
inline QStringList accessKeyFaults(const QWidget &window, QStringList texts = {})
{
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(&window) && !button->text().isEmpty())
            texts << button->text();
    }
    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (label->buddy() && label->isVisibleTo(&window))
            texts << label->text();
    }
    QStringList faults;
    QSet<QChar> keys;
    for (const QString &text : texts) {
        const qsizetype amp = text.indexOf(u'&');
        const QChar key = amp >= 0 && amp + 1 < text.size() ? text.at(amp + 1).toLower() : QChar();
        if (key.isNull() || keys.contains(key))
            faults << text;
        keys.insert(key);
    }
    return faults;
}
