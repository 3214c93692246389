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
    return folder.endsWith(QLatin1String(".cue/"), Qt::CaseInsensitive);
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
