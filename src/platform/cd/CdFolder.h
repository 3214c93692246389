#pragma once

namespace kalido::cd {

// Makes a disc source followed by "/" (a CD drive's device path or a disc image) a folder for
// TFileList::Scan, holding the disc's audio tracks Track01.cda, Track02.cda… Replaces the
// process-wide virtual folder lister.
void InstallCdFolderLister();

} // namespace kalido::cd
