#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kalido {

// A hook for folders that are not on disk, such as an audio CD drive whose "folder" (device
// path + "/") lists the disc's tracks. Before TFileList::Scan reads a folder it asks the
// lister with the folder's path (ending in "/"); a returned list is taken as that folder's
// file names (no subfolders) instead of reading the disk, std::nullopt lets the scan read the
// disk as usual.
using VirtualFolderLister = std::function<std::optional<QStringList>(const QString &folder)>;

// Replaces the process-wide lister; an empty function removes it. Main thread only.
void SetVirtualFolderLister(VirtualFolderLister lister);
// Asks the current lister; std::nullopt when none is set or it does not know the folder.
std::optional<QStringList> ListVirtualFolder(const QString &folder);

} // namespace kalido
