#include "util/AppPaths.h"

#include "util/Paths.h"
#include "util/Text.h"

#include <optional>

namespace kalido {

namespace {

std::optional<AppPaths> &current()
{
    static std::optional<AppPaths> paths;
    return paths;
}

const AppPaths &currentOrEmpty()
{
    static const AppPaths empty;
    return current() ? *current() : empty;
}

QString appNameFrom(const QString &exePath)
{
    QString title = exePath.mid(ExtractFolder(exePath).size());
    const qsizetype dot = title.indexOf(u'.');
    if (dot >= 0)
        title.truncate(dot);
    if (title.size() > 1)
        title = title.left(1) + title.mid(1).toLower();
    return ReplaceAll(title, QStringLiteral(" "), QString());
}

} // namespace

AppPaths ComputeAppPaths(const QString &exePath, const QString &appDataDir)
{
    AppPaths paths;
    const QString exeDir = ExtractFolder(exePath);
    paths.xmlDir = exeDir + QStringLiteral("XML") + PathDelim;
    paths.appName = appNameFrom(exePath);
    const QString dataDir = IncludeSlash(appDataDir.isEmpty() ? TempDir() : appDataDir);
    paths.userDir = dataDir + QStringLiteral("Orvane") + PathDelim + paths.appName + PathDelim;
    return paths;
}

void InitPaths()
{
    if (current())
        return;
    current() = ComputeAppPaths(ExePath(), AppDataDir());
}

void ClearPaths()
{
    current().reset();
}

const QString &XMLDir() { return currentOrEmpty().xmlDir; }
const QString &AppName() { return currentOrEmpty().appName; }
const QString &UserDir() { return currentOrEmpty().userDir; }

} // namespace kalido
