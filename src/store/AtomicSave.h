#pragma once

#include <QByteArray>
#include <QString>

namespace kalido {

// Replaces FileName with Bytes so that the file on disk is, at every moment, either the old
// content or the new one, never a part of either: the bytes go to a temporary file in the same
// folder, are synced, and the temporary file is renamed over the target. Missing folders are
// created. A symbolic link is followed and its target replaced. An existing file keeps its
// permission bits. Returns false on any failure, with the target untouched and the temporary
// file removed. On success, temporary files left behind by earlier saves that were killed
// midway are removed.
bool SaveFileAtomically(const QString &fileName, const QByteArray &bytes);

// The name of a temporary file SaveFileAtomically uses for FileName's base name, for Suffix of
// six letters or digits: ".<name>.<suffix>.tmp".
QString AtomicTempName(const QString &baseName, const QString &suffix);

// True when Name (a bare file name) is one of those temporary names for BaseName.
bool IsAtomicTempName(const QString &name, const QString &baseName);

} // namespace kalido
