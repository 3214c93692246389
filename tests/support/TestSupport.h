#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

namespace kalido::test {

// Writes bytes to a file, creating missing folders; fails the current test on error.
void writeFile(const QString &path, const QByteArray &bytes);

// Reads a whole file; an empty array when it cannot be read.
QByteArray readFile(const QString &path);

// True when the process may mount file systems (root in CI).
bool canMount();

// Runs a command through /bin/sh and returns its exit status.
int runShell(const QString &command);

} // namespace kalido::test

// Readable QString output in GoogleTest failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &b, std::ostream *os) { *os << '"' << b.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os) { *os << '[' << l.join(u'|').toStdString() << ']'; }
QT_END_NAMESPACE
