#include "project/KDProperties.h"

#include "files/FileList.h"
#include "files/StringHash.h"
#include "project/CommonFolders.h"
#include "project/FsProbe.h"
#include "shell/ProjectData.h"
#include "store/XmlIni.h"
#include "util/FsName.h"
#include "util/Paths.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace kalido {

namespace {

struct DirEntry
{
    QString name;
    unsigned char type;
};

// The names in a folder with their d_type, read in one go so that no folder stays open while
// its subfolders are scanned. Empty when the folder cannot be read.
std::vector<DirEntry> readFolder(const QString &folder)
{
    std::vector<DirEntry> out;
    DIR *dir = ::opendir(FsEncode(folder).constData());
    if (!dir)
        return out;
    while (const dirent *e = ::readdir(dir)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        out.push_back({FsDecode(QByteArray(n)), e->d_type});
    }
    ::closedir(dir);
    return out;
}

QString canonical(const QString &path)
{
    char buf[PATH_MAX];
    if (::realpath(FsEncode(path).constData(), buf))
        return FsDecode(QByteArray(buf));
    return ExcludeSlash(path);
}

bool hasExtension(const TWideStringHash &extensions, const QString &path)
{
    const QString ext = ExtLower(path);
    return !ext.isEmpty() && extensions.Contains(QString(u'.' + ext));
}

} // namespace

TKDProperties::TKDProperties(QObject *parent)
    : TCustomProperties(parent), photoSource_(GetCommonFolder(2)), musicSource_(GetCommonFolder(4)),
      musicFiles_(std::make_unique<TFileList>()), photoFiles_(std::make_unique<TFileList>())
{}

TKDProperties::~TKDProperties() = default;

TWideStringHash &TKDProperties::PhotoExtensions()
{
    if (!photoExtensions_) {
        photoExtensions_ = std::make_unique<TWideStringHash>();
        photoExtensions_->AddExtensions(QStringLiteral("jpg;jpeg;tif;tiff"));
    }
    return *photoExtensions_;
}

TWideStringHash &TKDProperties::MusicExtensions()
{
    if (!musicExtensions_) {
        musicExtensions_ = std::make_unique<TWideStringHash>();
        musicExtensions_->AddExtensions(QStringLiteral("wma;mp3;ogg;cda"));
    }
    return *musicExtensions_;
}

int TKDProperties::ProjectCount() const
{
    if (!projectCountLoaded_)
        const_cast<TKDProperties *>(this)->ReloadProjectCount();
    return projectCount_;
}

void TKDProperties::ReloadProjectCount()
{
    projectCountLoaded_ = true;
    projectCount_ = 0;
    std::shared_ptr<IXMLIni> store;
    if (storeProvider_)
        store = storeProvider_();
    else if (TProjectData *env = ProjectData())
        store = env->Ini();
    if (!store)
        return;
    try {
        // Leave the store's open key as it was: other code shares this store.
        const std::shared_ptr<IXMLNode> previous = store->GetCurrentNode();
        if (store->OpenKey(QStringLiteral("projects"), false)) {
            if (const std::shared_ptr<IXMLNode> node = store->GetCurrentNode())
                projectCount_ = node->ChildCount();
        }
        if (previous)
            store->SetCurrentNode(previous);
    } catch (const EXMLIniFailure &) {
        // An unreadable list counts as no saved projects.
    }
}

void TKDProperties::AddDroppedItems(TFileList &list, const TWideStringHash &extensions,
                                    const TDropFolderEvent &onFolder, const QStringList &items)
{
    // Entries of an earlier drop are relative to the BasePath of that drop. Turn them back into
    // full paths so that the MakeRelative below finds the base shared by old and new entries.
    if (!list.BasePath().isEmpty()) {
        std::vector<std::pair<QString, StoredObject *>> entries;
        entries.reserve(list.Count());
        for (int i = 0; i < list.Count(); ++i)
            entries.emplace_back(list.FullName(i), list.Objects(i));
        // The entries stay, only their form changes: their objects must survive the Clear.
        TDeleteObjectEvent onDelete = std::move(list.OnDeleteObject);
        list.OnDeleteObject = nullptr;
        list.Clear();
        list.OnDeleteObject = std::move(onDelete);
        for (const auto &[path, object] : entries)
            list.AddObject(path, object);
    }

    struct VisitedScope
    {
        std::optional<QSet<QString>> &visited;
        explicit VisitedScope(std::optional<QSet<QString>> &v) : visited(v) { visited.emplace(); }
        ~VisitedScope() { visited.reset(); }
    } scope(dropVisited_);

    for (const QString &item : items)
        AddDroppedItem(list, extensions, onFolder, item);
    list.MakeRelative();
}

bool TKDProperties::AddDroppedItem(TFileList &list, const TWideStringHash &extensions,
                                   const TDropFolderEvent &onFolder, const QString &path)
{
    QString p = path;
    if (IsSymLink(p))
        p = ExcludeSlash(ResolveShortcut(p));
    if (p.isEmpty())
        return false;
    if (IsExistingFolder(p)) {
        ScanDroppedFolder(list, extensions, onFolder, IncludeSlash(p));
        return false;
    }
    if (IsRegularFile(p) && hasExtension(extensions, p)) {
        list.Add(p);
        return true;
    }
    return false;
}

void TKDProperties::ScanDroppedFolder(TFileList &list, const TWideStringHash &extensions,
                                      const TDropFolderEvent &onFolder, const QString &folder)
{
    if (!dropVisited_)
        return;

    // Depth first, a subfolder's files right where the subfolder is listed, but on a stack of
    // our own: links can chain any number of folders without making their paths longer.
    struct Frame
    {
        QString folder;
        std::vector<DirEntry> entries;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    const auto enter = [&](const QString &f) {
        const QString key = canonical(f);
        if (dropVisited_->contains(key))
            return;
        dropVisited_->insert(key);
        bool abort = false;
        if (onFolder) {
            onFolder(f, abort);
            if (abort)
                return;
        }
        stack.push_back({f, readFolder(f)});
    };

    enter(folder);
    while (!stack.empty()) {
        Frame &top = stack.back();
        if (top.next == top.entries.size()) {
            stack.pop_back();
            continue;
        }
        const DirEntry &entry = top.entries[top.next++];
        QString q = top.folder + entry.name;
        unsigned char type = entry.type;
        if (type == DT_UNKNOWN) {
            struct stat st
            {
            };
            if (::lstat(FsEncode(q).constData(), &st) != 0)
                continue;
            type = S_ISLNK(st.st_mode)   ? DT_LNK
                   : S_ISDIR(st.st_mode) ? DT_DIR
                   : S_ISREG(st.st_mode) ? DT_REG
                                         : 0;
        }
        bool isFolder = false;
        bool isFile = false;
        if (type == DT_LNK) {
            q = ResolveShortcut(q);
            if (q.isEmpty())
                continue;
            isFolder = IsExistingFolder(q);
            isFile = !isFolder && IsRegularFile(q);
        } else {
            isFolder = type == DT_DIR;
            isFile = type == DT_REG;
        }

        if (isFolder)
            enter(IncludeSlash(q)); // top may dangle from here on
        else if (isFile && hasExtension(extensions, q))
            list.Add(q);
    }
}

void RegisterKDProperties()
{
    PropertiesClass() = TPropertiesClass::Of<TKDProperties>();
}

} // namespace kalido
