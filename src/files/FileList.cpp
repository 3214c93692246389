#include "files/FileList.h"

#include "files/FolderListing.h"
#include "util/Errors.h"
#include "util/FsName.h"
#include "util/Paths.h"

#include <QSet>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace kalido {

namespace {

// A folder's identity: the same folder reached through links or bind mounts is one folder.
struct FolderId
{
    dev_t dev;
    ino_t ino;
    bool operator==(const FolderId &) const = default;
};
struct FolderIdHash
{
    std::size_t operator()(const FolderId &id) const noexcept
    {
        return std::hash<unsigned long long>()(id.ino) ^ (std::hash<unsigned long long>()(id.dev) << 1);
    }
};

// One entry of a folder that passed the first checks, held while the folder is closed again so
// that at most one descriptor is open at any depth.
struct Found
{
    std::uint32_t nameOffset; // into the folder's name buffer
    std::uint32_t nameLength;
    bool folder;
    QString target; // a linked folder's canonical path
};

// Appends a name read from the file system. ASCII decodes to itself; everything else goes
// through the one lossless conversion.
inline void appendName(QString &path, const char *name, std::size_t len)
{
    for (std::size_t i = 0; i < len; ++i) {
        if (static_cast<unsigned char>(name[i]) >= 0x80) {
            path += FsDecode(QByteArray(name, qsizetype(len)));
            return;
        }
    }
    path += QLatin1StringView(name, qsizetype(len));
}

inline bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

} // namespace

class FolderScanner
{
public:
    FolderScanner(TFileList &list, const TWideStringHash *extensions, TFileScanOptions options,
                  const TFileScanEvent &onFile)
        : list_(list), extensions_(extensions), options_(options), onFile_(onFile)
    {}

    bool aborted() const { return abort_; }

    // Asks the callback about path; false when the entry is to be skipped.
    bool accepts(const QString &path)
    {
        bool accept = true;
        if (onFile_)
            onFile_(list_, path, accept, abort_);
        return accept;
    }

    void scanFolder(const QString &folder)
    {
        if (std::optional<QStringList> names = ListVirtualFolder(folder)) {
            scanVirtual(folder, *names);
            return;
        }
        std::vector<Found> found;
        std::string names;
        if (!readFolder(folder, found, names))
            return;
        for (Found &f : found) {
            QString path;
            if (!f.target.isEmpty()) {
                path = std::move(f.target);
            } else {
                path.reserve(folder.size() + f.nameLength + 1);
                path += folder;
                appendName(path, names.data() + f.nameOffset, f.nameLength);
            }
            if (f.folder && !path.endsWith(PathDelim))
                path += PathDelim;
            if (!take(std::move(path), f.folder))
                return;
        }
    }

private:
    // Handles one accepted-so-far entry; false when the folder's scan ends here.
    bool take(QString path, bool folder)
    {
        const bool accept = accepts(path);
        if (abort_)
            return false;
        if (accept) {
            if (!folder || (options_ & fsoIncludeFolders))
                list_.addFound(folder && (options_ & fsoRecurse) ? path : std::move(path));
            if (folder && (options_ & fsoRecurse)) {
                scanFolder(path);
                if (abort_)
                    return false;
            } else if (options_ & fsoFirstOnly) {
                return false;
            }
        }
        return true;
    }

    void scanVirtual(const QString &folder, const QStringList &names)
    {
        if (visitedVirtual_.contains(folder))
            return;
        visitedVirtual_.insert(folder);
        for (const QString &name : names) {
            if (name.isEmpty() || name == u"." || name == u".." || name.contains(PathDelim))
                continue;
            if (!hasExtension(name))
                continue;
            if (!take(folder + name, false))
                return;
        }
    }

    bool hasExtension(QStringView name) const
    {
        if (!extensions_)
            return false;
        const qsizetype dot = name.lastIndexOf(u'.');
        return dot >= 0 && extensions_->Contains(name.mid(dot));
    }

    // The extension test on a raw name: only the bytes from the last dot on are decoded.
    bool hasExtension(const char *name, std::size_t len) const
    {
        if (!extensions_)
            return false;
        const char *dot = static_cast<const char *>(memrchr(name, '.', len));
        if (!dot)
            return false;
        const std::size_t extLen = name + len - dot;
        char16_t buffer[32];
        if (extLen <= std::size(buffer)) {
            bool ascii = true;
            for (std::size_t i = 0; i < extLen; ++i) {
                const auto c = static_cast<unsigned char>(dot[i]);
                ascii = ascii && c < 0x80;
                buffer[i] = c;
            }
            if (ascii)
                return extensions_->Contains(QStringView(buffer, qsizetype(extLen)));
        }
        return extensions_->Contains(FsDecode(QByteArray(dot, qsizetype(extLen))));
    }

    // Reads the entries of folder that can go on: files with a matching extension, folders, and
    // links leading to either. False when the folder cannot be read or was read before.
    bool readFolder(const QString &folder, std::vector<Found> &found, std::string &names)
    {
        const QByteArray path = FsEncode(folder);
        // O_DIRECTORY: a FIFO or device under a folder's name is never opened.
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !visited_.insert(FolderId{st.st_dev, st.st_ino}).second) {
            ::close(fd);
            return false;
        }
        if (buffer_.empty())
            buffer_.resize(32768);
        for (;;) {
            // An error part way through keeps what was read so far.
            const ssize_t n = ::getdents64(fd, buffer_.data(), buffer_.size());
            if (n <= 0)
                break;
            for (ssize_t pos = 0; pos < n;) {
                const auto *e = reinterpret_cast<const dirent64 *>(buffer_.data() + pos);
                pos += e->d_reclen;
                const char *name = e->d_name;
                if (isDotOrDotDot(name))
                    continue;
                const std::size_t len = std::strlen(name);
                const auto keep = [&](bool isFolder, QString target = {}) {
                    found.push_back(
                        {std::uint32_t(names.size()), std::uint32_t(len), isFolder, std::move(target)});
                    names.append(name, len);
                };
                unsigned char type = e->d_type;
                if (type == DT_UNKNOWN) {
                    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                        continue;
                    type = S_ISREG(st.st_mode)   ? DT_REG
                           : S_ISDIR(st.st_mode) ? DT_DIR
                           : S_ISLNK(st.st_mode) ? DT_LNK
                                                 : DT_UNKNOWN;
                }
                switch (type) {
                case DT_REG:
                    if (hasExtension(name, len))
                        keep(false);
                    break;
                case DT_DIR:
                    keep(true);
                    break;
                case DT_LNK:
                    // A link counts as what it finally leads to; loops and dangling links lead nowhere.
                    if (::fstatat(fd, name, &st, 0) != 0)
                        break;
                    if (S_ISDIR(st.st_mode)) {
                        QString target = ResolveShortcut(folder + FsDecode(QByteArray(name, qsizetype(len))));
                        if (!target.isEmpty())
                            keep(true, std::move(target));
                    } else if (S_ISREG(st.st_mode) && hasExtension(name, len)) {
                        keep(false);
                    }
                    break;
                default: // FIFOs, sockets and devices are never taken
                    break;
                }
            }
        }
        ::close(fd);
        return true;
    }

    TFileList &list_;
    const TWideStringHash *extensions_;
    TFileScanOptions options_;
    const TFileScanEvent &onFile_;
    bool abort_ = false;
    std::unordered_set<FolderId, FolderIdHash> visited_;
    QSet<QString> visitedVirtual_;
    std::vector<char> buffer_; // reused by every folder: each is read completely before the next
};

TFileList::~TFileList()
{
    try {
        Clear();
    } catch (...) {
        // An owner's OnDeleteObject failing must not take the program down with the list.
    }
}

TFileList::TFileList(TFileList &&other) noexcept
    : OnDeleteObject(std::exchange(other.OnDeleteObject, nullptr)),
      entries_(std::exchange(other.entries_, {})), basePath_(std::exchange(other.basePath_, {}))
{}

TFileList &TFileList::operator=(TFileList &&other)
{
    if (this != &other) {
        Clear();
        OnDeleteObject = std::exchange(other.OnDeleteObject, nullptr);
        entries_ = std::exchange(other.entries_, {});
        basePath_ = std::exchange(other.basePath_, {});
    }
    return *this;
}

void TFileList::Add(const QString &path)
{
    entries_.push_back({path, nullptr});
}

void TFileList::AddObject(const QString &path, StoredObject *object)
{
    entries_.push_back({path, object});
}

void TFileList::checkIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TFileList::Strings(int index) const
{
    checkIndex(index);
    return entries_[index].path;
}

StoredObject *TFileList::Objects(int index) const
{
    checkIndex(index);
    return entries_[index].object;
}

QString TFileList::FullName(int index) const
{
    checkIndex(index);
    return basePath_ + entries_[index].path;
}

void TFileList::addFound(QString fullPath)
{
    if (basePath_.isEmpty()) {
        entries_.push_back({std::move(fullPath), nullptr});
        return;
    }
    if (fullPath.startsWith(basePath_)) {
        Add(fullPath.mid(basePath_.size()));
        return;
    }
    // A path outside the common folder: the list goes back to full paths.
    for (Entry &e : entries_)
        e.path.prepend(basePath_);
    basePath_.clear();
    Add(fullPath);
}

void TFileList::Scan(const TWideStringHash *extensions, TFileScanOptions options,
                     const TFileScanEvent &onFile)
{
    FolderScanner scanner(*this, extensions, options, onFile);
    const int startCount = Count();
    // The callback may shrink the list; entries it removed are simply not there any more.
    for (int i = 0; i < startCount && i < Count(); ++i) {
        const QString path = FullName(i);
        if (path.isEmpty())
            continue;
        if (path.endsWith(PathDelim)) {
            const bool accept = scanner.accepts(path);
            if (scanner.aborted())
                return;
            if (accept) {
                scanner.scanFolder(path);
                if (scanner.aborted())
                    return;
            }
        } else if (options & fsoFirstOnly) {
            break;
        }
    }
    if (!(options & fsoIncludeFolders))
        RemoveFolders();
}

void TFileList::RemoveFolders()
{
    // With a BasePath, an empty entry stands for BasePath itself, a folder.
    std::erase_if(entries_, [this](const Entry &e) {
        return e.path.isEmpty() ? !basePath_.isEmpty() : e.path.endsWith(PathDelim);
    });
}

void TFileList::MakeRelative()
{
    if (!basePath_.isEmpty() || entries_.empty())
        return;
    QString base = ExtractFolder(entries_[0].path);
    for (std::size_t i = 1; i < entries_.size() && !base.isEmpty(); ++i) {
        const QString &e = entries_[i].path;
        const qsizetype n = std::min(base.size(), e.size());
        qsizetype j = 0;
        while (j < n && base[j] == e[j])
            ++j;
        if (j < n)
            base.truncate(j);
    }
    base = ExtractFolder(base);
    if (base.isEmpty())
        return;
    basePath_ = base;
    for (Entry &e : entries_)
        e.path.remove(0, base.size());
}

void TFileList::Clear()
{
    basePath_.clear();
    if (OnDeleteObject)
        for (const Entry &e : entries_)
            OnDeleteObject(*this, e.object);
    entries_.clear();
}

} // namespace kalido
