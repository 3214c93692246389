#pragma once

#include <QString>

namespace kalido {

// File-system tests on names given as QString (encoded through FsEncode, so names that are not
// valid UTF-8 work). Links are followed unless the name says otherwise.
bool IsExistingFolder(const QString &path);
bool IsRegularFile(const QString &path);
bool IsSymLink(const QString &path);

} // namespace kalido
