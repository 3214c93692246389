#pragma once

#include <QByteArray>
#include <QString>

namespace kalido {

// The one conversion between file-system bytes and QString. Valid UTF-8 decodes as usual;
// every byte that is not part of a valid UTF-8 sequence becomes the escape code point
// U+DC80 + byte (a lone low surrogate), which encodes back to that byte. Names that are not
// valid UTF-8 therefore survive bytes -> QString -> bytes unchanged.
QString FsDecode(const QByteArray &bytes);
QByteArray FsEncode(const QString &name);

// open(2) on a name given as QString, through FsEncode. Returns the descriptor or -1.
int FsOpen(const QString &name, int flags, int mode = 0);

} // namespace kalido
