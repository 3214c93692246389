#pragma once

#include <QString>

namespace kalido {

// Shell folder numbers, kept so that callers name folders as the settings code always has.
// On Linux they map onto the XDG user folders (see docs/platform.md).
enum Csidl : int {
    CSIDL_DESKTOP = 0,
    CSIDL_PERSONAL = 5, // documents
    CSIDL_MYMUSIC = 13,
    CSIDL_MYVIDEO = 14,
    CSIDL_DESKTOPDIRECTORY = 16,
    CSIDL_APPDATA = 26,
    CSIDL_LOCAL_APPDATA = 28,
    CSIDL_INTERNET_CACHE = 32,
    CSIDL_MYPICTURES = 39,
    CSIDL_PROFILE = 40,
    CSIDL_COMMON_DOCUMENTS = 46,
    CSIDL_COMMON_MUSIC = 53,
    CSIDL_COMMON_PICTURES = 54,
    CSIDL_COMMON_VIDEO = 55,
};

// The native file-path delimiter.
inline constexpr QChar PathDelim = u'/';

inline bool IsPathDelim(QChar c) { return c == u'/' || c == u'\\'; }

// Folder of the running executable, ending in the delimiter.
QString ExeDir();
// Full path of the running executable.
QString ExePath();
// The temporary folder, ending in the delimiter.
QString TempDir();
// The user's application-data folder (XDG config), without a trailing delimiter; TempDir when
// it cannot be determined.
QString AppDataDir();
// Looks up a known folder by its shell number: true and the path (no trailing delimiter)
// when found, false and an empty path otherwise.
bool GetSpecialFolder(int csidl, QString &path);

QString IncludeSlash(const QString &path);
QString ExcludeSlash(const QString &path);
// Path up to and including its last "\" or "/"; empty when it has neither.
QString ExtractFolder(const QString &path);
// The extension without its ".", letters A to Z lower-cased; a dot in a folder name does not count.
QString ExtLower(const QString &fileName);
// FileName unchanged when it has an extension, otherwise with Ext appended ("kdp" or ".kdp").
QString ForceExt(const QString &fileName, const QString &ext);
// Folds "..\" and "../" parts into their parent folders, keeping the trailing delimiter or its absence.
QString ExpandRelative(const QString &path);
// Shortcuts are symbolic links: the canonical path of the final target, empty when the name
// is not a link or the link dangles.
QString ResolveShortcut(const QString &fileName);
// True when a probe file cannot be created and written in the folder; the probe never stays.
bool IsReadOnlyFolder(const QString &folder);

} // namespace kalido
