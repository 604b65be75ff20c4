// tests/collection/collection_test_support.h
#pragma once

#include <QString>

#include <string>

// A fresh empty folder under the test scratch folder, ending with "/".
QString freshFolder(const std::string &name);
// A 24-bit test picture of width x height saved as path (type by extension).
void savePicture(const QString &path, int width, int height, unsigned seed = 1);
// Sets a file's modification time (seconds since 1970).
void setModified(const QString &path, qint64 seconds);
