#include "project/CommonFolders.h"

#include "util/Paths.h"

#include <QDir>

namespace kalido {

namespace {

int csidlOf(int id)
{
    switch (id) {
    case 0:
        return CSIDL_LOCAL_APPDATA;
    case 1:
        return CSIDL_DESKTOP;
    case 2:
        return CSIDL_MYPICTURES;
    case 3:
        return CSIDL_PERSONAL;
    case 4:
        return CSIDL_MYMUSIC;
    case 5:
        return CSIDL_MYVIDEO;
    default:
        return -1;
    }
}

bool lookUp(int csidl, QString &path)
{
    return csidl >= 0 && GetSpecialFolder(csidl, path) && !path.isEmpty();
}

} // namespace

QString GetCommonFolder(int id)
{
    QString path;
    if (lookUp(csidlOf(id), path))
        return path;
    if ((id == 2 || id == 4 || id == 5) && lookUp(CSIDL_PERSONAL, path))
        return path;
    return QDir::homePath();
}

} // namespace kalido
