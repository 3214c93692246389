#include "util/Paths.h"

#include "util/FsName.h"

#include <QDir>
#include <QStandardPaths>
#include <QtGlobal>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalido {

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

QString trimmedControl(const QString &s)
{
    // Removes leading and trailing spaces and control characters (code points up to 32).
    qsizetype from = 0, to = s.size();
    while (from < to && s[from].unicode() <= 32)
        ++from;
    while (to > from && s[to - 1].unicode() <= 32)
        --to;
    return s.mid(from, to - from);
}

quint64 tickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec / 1000000);
}

} // namespace

QString ExePath()
{
    QByteArray buf(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
        return {};
    buf.truncate(n);
    return FsDecode(buf);
}

QString ExeDir()
{
    return ExtractFolder(ExePath());
}

QString TempDir()
{
    return IncludeSlash(QDir::tempPath());
}

QString AppDataDir()
{
    QString path;
    if (GetSpecialFolder(CSIDL_APPDATA, path))
        return path;
    return TempDir();
}

bool GetSpecialFolder(int csidl, QString &path)
{
    path.clear();
    QStandardPaths::StandardLocation location;
    switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: location = QStandardPaths::DesktopLocation; break;
    case CSIDL_PERSONAL:
    case CSIDL_COMMON_DOCUMENTS: location = QStandardPaths::DocumentsLocation; break;
    case CSIDL_MYMUSIC:
    case CSIDL_COMMON_MUSIC: location = QStandardPaths::MusicLocation; break;
    case CSIDL_MYVIDEO:
    case CSIDL_COMMON_VIDEO: location = QStandardPaths::MoviesLocation; break;
    case CSIDL_MYPICTURES:
    case CSIDL_COMMON_PICTURES: location = QStandardPaths::PicturesLocation; break;
    case CSIDL_APPDATA: location = QStandardPaths::GenericConfigLocation; break;
    case CSIDL_LOCAL_APPDATA: location = QStandardPaths::GenericDataLocation; break;
    case CSIDL_INTERNET_CACHE: location = QStandardPaths::GenericCacheLocation; break;
    case CSIDL_PROFILE: location = QStandardPaths::HomeLocation; break;
    default: return false;
    }
    QString found = QStandardPaths::writableLocation(location);
    if (found.isEmpty() || !QDir::isAbsolutePath(found))
        return false;
    path = ExcludeSlash(found);
    return true;
}

QString IncludeSlash(const QString &path)
{
    if (path.isEmpty())
        return path;
    if (IsPathDelim(path.back()))
        return path;
    if (path.size() == 1 && isAsciiLetter(path[0]))
        return path + QStringLiteral(":\\");
    // Text written on Windows keeps its backslashes; everything else gets the native delimiter.
    if (path.contains(u'\\') && !path.contains(u'/'))
        return path + u'\\';
    return path + PathDelim;
}

QString ExcludeSlash(const QString &path)
{
    if (path.size() < 2)
        return path;
    if (!IsPathDelim(path.back()))
        return path;
    if (path.size() == 3 && isAsciiLetter(path[0]) && path[1] == u':')
        return path;
    return path.left(path.size() - 1);
}

QString ExtractFolder(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsPathDelim(path[i]))
            return path.left(i + 1);
    return {};
}

QString ExtLower(const QString &fileName)
{
    for (qsizetype i = fileName.size() - 1; i >= 0; --i) {
        const QChar c = fileName[i];
        if (c == u'.') {
            QString ext = fileName.mid(i + 1);
            for (QChar &e : ext)
                if (e >= u'A' && e <= u'Z')
                    e = QChar(e.unicode() + 32);
            return ext;
        }
        if (IsPathDelim(c) || c == u':')
            return {};
    }
    return {};
}

QString ForceExt(const QString &fileName, const QString &ext)
{
    if (!ExtLower(fileName).isEmpty() || fileName.endsWith(u'.'))
        return fileName;
    if (ext.startsWith(u'.'))
        return fileName + ext;
    return fileName + u'.' + ext;
}

QString ExpandRelative(const QString &path)
{
    QString r = trimmedControl(path);
    if (r.isEmpty())
        return r;
    for (const QString &up : {QStringLiteral("..\\"), QStringLiteral("../")}) {
        for (qsizetype at = r.indexOf(up); at >= 0; at = r.indexOf(up)) {
            const QString head = r.left(at);
            const QString tail = r.mid(at + 3);
            r = ExtractFolder(ExcludeSlash(head)) + tail;
        }
    }
    for (const QString &up : {QStringLiteral("\\.."), QStringLiteral("/..")}) {
        const qsizetype at = r.indexOf(up);
        if (at >= 0 && at == r.size() - 3) {
            r = ExtractFolder(ExcludeSlash(r.left(r.size() - 3)));
            break;
        }
    }
    if (r.endsWith(u':'))
        r += u'\\';
    if (IsPathDelim(path.back()))
        return IncludeSlash(r);
    return ExcludeSlash(r);
}

QString ResolveShortcut(const QString &fileName)
{
    const QByteArray name = FsEncode(fileName);
    struct stat st {};
    if (name.isEmpty() || ::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return {};
    char *resolved = ::realpath(name.constData(), nullptr);
    if (!resolved)
        return {};
    QString target = FsDecode(QByteArray(resolved));
    std::free(resolved);
    return target;
}

bool IsReadOnlyFolder(const QString &folder)
{
    const QString probe = IncludeSlash(folder) + QStringLiteral(".Tmp$$$%1-%2").arg(tickCount()).arg(::getpid());
    const QByteArray name = FsEncode(probe);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    const char byte = 0;
    ssize_t written;
    do {
        written = ::write(fd, &byte, 1);
    } while (written < 0 && errno == EINTR);
    const bool closed = ::close(fd) == 0;
    ::unlink(name.constData());
    return written != 1 || !closed;
}

} // namespace kalido
