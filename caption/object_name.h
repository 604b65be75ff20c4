// caption/object_name.h
#pragma once

#include <QObject>
#include <QString>

// Gives a control the object name by which the page's tips, the shots and
// the tests find it, and hands it back, so that it is named where it is made.
template <class T> T *named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}
