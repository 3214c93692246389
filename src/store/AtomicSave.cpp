#include "store/AtomicSave.h"

#include "util/FsName.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalido {

namespace {

constexpr int SuffixLength = 6;
const char SuffixChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QString randomSuffix()
{
    QString s;
    for (int i = 0; i < SuffixLength; ++i)
        s += QChar(SuffixChars[QRandomGenerator::global()->bounded(int(sizeof(SuffixChars) - 1))]);
    return s;
}

// Splits a byte path at its last "/": folder (empty for a bare name, "/" for the root) and name.
void splitPath(const QByteArray &path, QByteArray &folder, QByteArray &name)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0) {
        folder.clear();
        name = path;
    } else {
        folder = slash == 0 ? QByteArray("/") : path.left(slash);
        name = path.mid(slash + 1);
    }
}

// mkdir -p on bytes; true when the folder exists afterwards.
bool makeFolders(const QByteArray &folder)
{
    if (folder.isEmpty())
        return true;
    struct stat st;
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    int from = folder.startsWith('/') ? 1 : 0;
    while (from <= folder.size()) {
        int slash = folder.indexOf('/', from);
        if (slash < 0)
            slash = folder.size();
        const QByteArray part = folder.left(slash);
        if (slash > from && ::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return false;
        from = slash + 1;
    }
    return ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The file a save really replaces: the final target of a symbolic link, or the name itself.
QByteArray resolveTarget(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.constData(), resolved))
        return QByteArray(resolved);
    return path; // a dangling link is replaced by the file itself
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void removeStaleTempFiles(const QByteArray &folder, const QByteArray &baseName)
{
    DIR *dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return;
    const QString base = FsDecode(baseName);
    const QByteArray prefix = folder.isEmpty() ? QByteArray() : folder + (folder.endsWith('/') ? "" : "/");
    while (dirent *entry = ::readdir(dir)) {
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN)
            continue;
        if (IsAtomicTempName(FsDecode(QByteArray(entry->d_name)), base))
            ::unlink((prefix + entry->d_name).constData());
    }
    ::closedir(dir);
}

} // namespace

QString AtomicTempName(const QString &baseName, const QString &suffix)
{
    return u'.' + baseName + u'.' + suffix + QStringLiteral(".tmp");
}

bool IsAtomicTempName(const QString &name, const QString &baseName)
{
    const QString head = u'.' + baseName + u'.';
    const QString tail = QStringLiteral(".tmp");
    if (name.size() != head.size() + SuffixLength + tail.size() || !name.startsWith(head) ||
        !name.endsWith(tail))
        return false;
    for (int i = head.size(); i < head.size() + SuffixLength; ++i) {
        const QChar c = name.at(i);
        if (c.unicode() > 127 || !std::strchr(SuffixChars, char(c.unicode())))
            return false;
    }
    return true;
}

bool SaveFileAtomically(const QString &fileName, const QByteArray &bytes)
{
    const QByteArray encoded = FsEncode(fileName);
    if (encoded.isEmpty() || encoded.endsWith('/'))
        return false;
    QByteArray folder, name;
    splitPath(encoded, folder, name);
    if (!makeFolders(folder))
        return false;

    const QByteArray target = resolveTarget(encoded);
    splitPath(target, folder, name);
    const QByteArray prefix = folder.isEmpty() ? QByteArray() : folder + (folder.endsWith('/') ? "" : "/");

    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = prefix + FsEncode(AtomicTempName(FsDecode(name), randomSuffix()));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    struct stat old;
    if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not our file to give away; keeping our own ownership is the best we can do.
        }
    }

    bool ok = writeAll(fd, bytes.constData(), bytes.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    syncFolder(folder);
    removeStaleTempFiles(folder, name);
    return true;
}

} // namespace kalido
