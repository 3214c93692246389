#include "platform/cd/CdFolder.h"

#include "files/FolderListing.h"
#include "platform/cd/CdAudio.h"

namespace kalido::cd {

namespace {

// Only names that can be a drive or an image are worth a look at the disk: every folder of a
// scan comes through here.
bool mayBeDisc(const QString &folder)
{
    if (folder.startsWith(u"/dev/"))
        return true;
    for (const char *ext : {".cue/", ".toc/", ".nrg/"})
        if (folder.endsWith(QLatin1String(ext), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

void InstallCdFolderLister()
{
    SetVirtualFolderLister([](const QString &folder) -> std::optional<QStringList> {
        if (!mayBeDisc(folder) || !IsDiscSource(folder))
            return std::nullopt;
        return ListTracks(folder);
    });
}

} // namespace kalido::cd
