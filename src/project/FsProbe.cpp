#include "project/FsProbe.h"

#include "util/FsName.h"

#include <sys/stat.h>

namespace kalido {

bool IsExistingFolder(const QString &path)
{
    struct stat st
    {
    };
    return !path.isEmpty() && ::stat(FsEncode(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const QString &path)
{
    struct stat st
    {
    };
    return !path.isEmpty() && ::stat(FsEncode(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsSymLink(const QString &path)
{
    struct stat st
    {
    };
    return !path.isEmpty() && ::lstat(FsEncode(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace kalido
