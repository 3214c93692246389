#pragma once

#include "files/StringHash.h"

#include <QFlags>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace kalido {

// What TFileList::Scan does besides collecting the matching files.
enum TFileScanOption : unsigned {
    // Folders found are added as folder entries (ending in "/"), and the starting folder entries
    // stay; without it the scan ends by removing every folder entry.
    fsoIncludeFolders = 1,
    // Accepted subfolders are scanned in turn, to any depth.
    fsoRecurse = 2,
    // The scan of one folder ends at its first accepted entry that is not descended into; the
    // pass over the starting entries ends at the first file entry.
    fsoFirstOnly = 4,
};
Q_DECLARE_FLAGS(TFileScanOptions, TFileScanOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileScanOptions)

class TFileList;

// Called for every path a scan is about to take (a folder ends in "/"). accept starts true:
// setting it false skips that entry (a folder is then neither added nor descended into).
// abort starts false: setting it true stops the whole scan.
using TFileScanEvent =
    std::function<void(TFileList &sender, const QString &fileName, bool &accept, bool &abort)>;

// Called for every entry when the list is cleared, with the object attached to the entry (may
// be nullptr).
using TDeleteObjectEvent = std::function<void(TFileList &sender, StoredObject *object)>;

// An ordered list of file paths; duplicates are kept and nothing is ever sorted. An entry
// ending in "/" is a folder entry, every other one a file entry. While BasePath is empty every
// entry is a full path; after MakeRelative every entry (also one added later) is relative to
// BasePath, and FullName puts the two together.
//
// Objects attached to entries are borrowed: the list never deletes them. An owner that wants
// them gone with the list sets OnDeleteObject, which Clear (and the destructor) call once per
// entry.
class TFileList
{
public:
    TFileList() = default;
    ~TFileList();
    TFileList(const TFileList &) = delete;
    TFileList &operator=(const TFileList &) = delete;
    // Moving hands over entries, BasePath and OnDeleteObject; the source is left empty.
    // Assigning over a list clears it first.
    TFileList(TFileList &&other) noexcept;
    TFileList &operator=(TFileList &&other);

    void Add(const QString &path);
    void AddObject(const QString &path, StoredObject *object);
    int Count() const { return int(entries_.size()); }
    // The entry as stored. An index outside 0 … Count() - 1 throws "List index out of bounds (i)".
    QString Strings(int index) const;
    StoredObject *Objects(int index) const;
    // BasePath followed by the stored entry.
    QString FullName(int index) const;
    const QString &BasePath() const { return basePath_; }

    // Expands the folder entries present at the start into entries for the files under them
    // whose extension (dot included, any letter case) is in extensions; with no extension set
    // no file is taken. Found entries are appended in the order the folders list them, a
    // subfolder's entries right where the subfolder was found. Symbolic links are followed to
    // their targets; every folder is read at most once per call, so link loops end. Folders
    // that cannot be read, dangling links, FIFOs, sockets and devices contribute nothing.
    void Scan(const TWideStringHash *extensions, TFileScanOptions options = {},
              const TFileScanEvent &onFile = {});
    // Deletes every folder entry.
    void RemoveFolders();
    // Finds the folder that all entries share, makes it BasePath and strips it from every entry.
    // Does nothing when BasePath is already set or the list is empty.
    void MakeRelative();
    // Empties BasePath, calls OnDeleteObject once per entry, first to last, and removes them all.
    void Clear();

    TDeleteObjectEvent OnDeleteObject;

private:
    struct Entry
    {
        QString path;
        StoredObject *object = nullptr;
    };
    friend class FolderScanner;

    void checkIndex(int index) const;
    void addFound(QString fullPath);

    std::vector<Entry> entries_;
    QString basePath_;
};

} // namespace kalido
