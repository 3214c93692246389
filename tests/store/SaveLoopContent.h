#pragma once

#include "store/XmlIni.h"

#include <QString>

namespace kalido::test {

// Version K of a settings document: its size varies with K, so a file cut short anywhere can
// never pass for a complete version.
inline void FillVersion(IXMLIni &ini, int k)
{
    ini.OpenKey(QStringLiteral("settings"), true);
    ini.WriteInteger(QStringLiteral("version"), k);
    const int lines = 200 + (k * 37) % 800;
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("line %1 of version %2\r\n").arg(i).arg(k);
    ini.WriteStrings(QStringLiteral("lines"), text);
}

} // namespace kalido::test
