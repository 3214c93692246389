#include "cmdline/ConverterCommandKeys.h"

#include "cmdline/AutoMatcher.h"
#include "cmdline/CmdParser.h"
#include "files/FileList.h"
#include "project/CustomProperties.h"
#include "util/FsName.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <QDir>
#include <QRegularExpression>

#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace kalido {

namespace {

// Folder + delimiter for the file system; unlike IncludeSlash it never turns a one-letter
// folder name into a drive.
QString withSlash(const QString &folder)
{
    if (folder.isEmpty() || IsPathDelim(folder.back()))
        return folder;
    return folder + PathDelim;
}

bool statPath(const QString &path, struct stat &st)
{
    const QByteArray name = FsEncode(path.isEmpty() ? QStringLiteral(".") : path);
    return ::stat(name.constData(), &st) == 0;
}

bool isFolder(const QString &path)
{
    struct stat st
    {
    };
    return !path.isEmpty() && statPath(path, st) && S_ISDIR(st.st_mode);
}

bool isFile(const QString &path)
{
    struct stat st
    {
    };
    return !path.isEmpty() && statPath(path, st) && S_ISREG(st.st_mode);
}

bool hasFolderPart(const QString &path)
{
    return path.contains(u'/') || path.contains(u'\\') || path.contains(u':');
}

// A path that names no folder of its own: not rooted, no drive, no network share.
bool isRelative(const QString &path)
{
    return !(path.startsWith(u'/') || path.contains(QStringLiteral("\\\\")) ||
             (path.size() > 1 && path[1] == u':'));
}

QString fileNamePart(const QString &path)
{
    return path.mid(ExtractFolder(path).size());
}

// Folder part up to and including the last delimiter or ":".
QString folderPartWithDrive(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsPathDelim(path[i]) || path[i] == u':')
            return path.left(i + 1);
    return {};
}

} // namespace

TConverterCommandKeys::TConverterCommandKeys(TCustomProperties *properties) : TCommandKeys(properties)
{
    AddKey(QStringLiteral("List"), QStringLiteral("list"), QStringLiteral("File with files mask to convert"));
    AddKey(QStringLiteral("-r"), QStringLiteral("-Recurse"), QStringLiteral("Include subfolders"));
    AddKey(QStringLiteral("DeleteOriginals"), QStringLiteral("-do"), QStringLiteral("Delete originals"));
    AddKey(QStringLiteral("KeepFolderStructure"), QStringLiteral("-kfs"),
           QStringLiteral("Keep Folder Structure"));
}

TCustomProperties *TConverterCommandKeys::CustomProperties() const
{
    return static_cast<TCustomProperties *>(Properties);
}

void TConverterCommandKeys::AddParserKeys(QStringList &keyWords)
{
    keyWords << QStringLiteral("-nogui") << QStringLiteral("wizard");
}

void TConverterCommandKeys::Clear()
{
    TCommandKeys::Clear();
    CustomProperties()->Files().Clear();
}

void TConverterCommandKeys::SetKey(const QString &name, const QString &value)
{
    TCustomProperties &props = *CustomProperties();
    const int n = PositionalCount;
    const QString last = u'%' + QString::number(n);

    if (n == 1 && name == QStringLiteral("%1")) {
        AddSource(value);
        return;
    }
    if (name == last && NoDestination) {
        // A job without destination takes its last leading parameter as one more source.
        AddSource(value);
        return;
    }
    if (name == last) {
        if (!props.Destination().isEmpty())
            throw Exception(QStringLiteral("Odd destination ") + value);
        TFileList &files = props.Files();
        if (!hasFolderPart(value) && files.Count() > 0)
            props.SetDestination(ExtractFolder(files.Strings(0)) + value);
        else
            props.SetDestination(value);
        if (files.Count() == 1 && (IsPathDelim(value.back()) || isFolder(ExcludeSlash(value))))
            props.SetDestination(withSlash(value) + fileNamePart(files.Strings(0)));
        if (isRelative(props.Destination()))
            props.SetDestination(ExpandRelative(withSlash(QDir::currentPath()) + props.Destination()));
        TypeFromDestination(value);
        return;
    }
    if (name.startsWith(u'%')) {
        bool ok = false;
        int k = name.mid(1).toInt(&ok);
        if (!ok)
            k = 0;
        if (k > n) {
            // A positional parameter written after the options.
            if (!isFile(value))
                throw EInvalidParam(QStringLiteral("Unknown param \"") + value + u'"');
            AddSource(value);
        } else if (HasParam(QStringLiteral("list"), QStringLiteral("l"))) {
            props.SetDestination(value);
            TypeFromDestination(value);
        } else {
            AddSource(value);
        }
        return;
    }
    if (EqualText(name, QStringLiteral("list")) || EqualText(name, QStringLiteral("l"))) {
        LoadListFile(value);
        return;
    }
    if (EqualText(name, QStringLiteral("-recurse")) || EqualText(name, QStringLiteral("-r")))
        return; // AddSource reads the switch from Params
    if (EqualText(name, QStringLiteral("-nogui"))) {
        props.SetNoGUI(true);
        return;
    }
    if (EqualText(name, QStringLiteral("c")) || EqualText(name, QStringLiteral("ConvertType")))
        ConvertTypeGiven = true;
    TCommandKeys::SetKey(name, value);
}

void TConverterCommandKeys::TypeFromDestination(const QString &value)
{
    if (ConvertTypeGiven)
        return;
    const QString ext = ExtLower(value);
    if (!ext.isEmpty())
        CustomProperties()->SetConvertType(ext.toLatin1());
}

QString TConverterCommandKeys::FilterMask() const
{
    const QString exts = FilterExtensions();
    if (exts.isEmpty())
        return QStringLiteral("*.*");
    return QStringLiteral("*.") + ReplaceAll(exts, QStringLiteral(";"), QStringLiteral(";*."));
}

void TConverterCommandKeys::AddSource(const QString &value)
{
    TFileList &files = CustomProperties()->Files();
    const bool recurse = HasParam(QStringLiteral("-r"), QStringLiteral("-Recurse"));
    if (value.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
        value.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive)) {
        files.Add(value);
        return;
    }
    const QChar cr(u'\r');
    for (const QString &piece : value.split(u';', Qt::SkipEmptyParts)) {
        const QString item = piece.trimmed();
        if (item.isEmpty())
            continue;
        if (item.contains(u'*') || item.contains(u'?')) {
            const QString folder = folderPartWithDrive(item);
            const QString mask = item.mid(folder.size());
            const auto matcher = BuildMatcher(mask);
            if (!ScanFolder(withSlash(folder), *matcher, recurse))
                throw EFileNotFound(QStringLiteral("No files found in the folder") + cr + item + cr +
                                    QStringLiteral("matching mask") + cr + mask);
        } else if (isFolder(ExcludeSlash(item))) {
            const auto matcher = BuildMatcher(FilterMask());
            if (!ScanFolder(withSlash(item), *matcher, recurse))
                throw EFileNotFound(QStringLiteral("No files found in the folder") + cr + item);
        } else if (isFile(item)) {
            files.Add(item);
        } else {
            const QString folder = ExtractFolder(item);
            const auto matcher = BuildMatcher(item.mid(folder.size()));
            if (!ScanFolder(folder, *matcher, recurse))
                throw EFileNotFound(QStringLiteral("No files found matching mask") + cr + item);
        }
    }
}

namespace {

struct FolderId
{
    dev_t dev;
    ino_t ino;
    bool operator<(const FolderId &o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

class MaskScanner
{
public:
    MaskScanner(TFileList &files, const TAutoManager &matcher, bool recurse)
        : files_(files), matcher_(matcher), recurse_(recurse)
    {}

    bool scan(const QString &folder)
    {
        const QByteArray path = FsEncode(folder.isEmpty() ? QStringLiteral(".") : folder);
        struct stat st
        {
        };
        if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
        // A folder reached twice (through a link) is read once, so link loops end.
        if (!visited_.insert({st.st_dev, st.st_ino}).second)
            return false;

        // The whole listing is read before anything is descended into, so a deep tree never
        // holds more than one folder open.
        std::vector<std::pair<QByteArray, unsigned char>> entries;
        if (DIR *dir = ::opendir(path.constData())) {
            while (const dirent *e = ::readdir(dir)) {
                const QByteArrayView name(e->d_name);
                if (name == "." || name == "..")
                    continue;
                entries.emplace_back(name.toByteArray(), e->d_type);
            }
            ::closedir(dir);
        }

        bool added = false;
        for (const auto &[raw, type] : entries) {
            const QString name = FsDecode(raw);
            const QString full = folder + name;
            bool dir = type == DT_DIR;
            bool reg = type == DT_REG;
            if (type == DT_UNKNOWN || type == DT_LNK) {
                struct stat est
                {
                };
                if (::stat(FsEncode(full).constData(), &est) != 0)
                    continue; // dangling link
                dir = S_ISDIR(est.st_mode);
                reg = S_ISREG(est.st_mode);
            }
            if (dir) {
                if (recurse_ && scan(full + PathDelim))
                    added = true;
            } else if (reg && matcher_.Matches(name)) {
                files_.Add(full);
                added = true;
            }
        }
        return added;
    }

private:
    TFileList &files_;
    const TAutoManager &matcher_;
    bool recurse_;
    std::set<FolderId> visited_;
};

} // namespace

bool TConverterCommandKeys::ScanFolder(const QString &folder, const TAutoManager &matcher, bool recurse)
{
    MaskScanner scanner(CustomProperties()->Files(), matcher, recurse);
    return scanner.scan(folder);
}

void TConverterCommandKeys::LoadListFile(const QString &fileName)
{
    TFileList &files = CustomProperties()->Files();
    const QString text = ReadTextFile(fileName, true);
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))))
        if (!line.isEmpty())
            files.Add(line);
    files.MakeRelative();
}

void TConverterCommandKeys::Validate()
{
    TCustomProperties &props = *CustomProperties();
    if (NoDestination && !props.Destination().isEmpty()) {
        props.Files().Add(props.Destination());
        props.SetDestination(QString());
    }
    props.Files().MakeRelative();
}

} // namespace kalido
