#include "files/FolderListing.h"

namespace kalido {

namespace {
VirtualFolderLister &currentLister()
{
    static VirtualFolderLister lister;
    return lister;
}
} // namespace

void SetVirtualFolderLister(VirtualFolderLister lister)
{
    currentLister() = std::move(lister);
}

std::optional<QStringList> ListVirtualFolder(const QString &folder)
{
    const VirtualFolderLister &lister = currentLister();
    if (!lister)
        return std::nullopt;
    return lister(folder);
}

} // namespace kalido
