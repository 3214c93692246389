#pragma once

#include <QString>

namespace kalido {

// The program's folders and name, derived from its executable.
struct AppPaths
{
    QString xmlDir;  // executable folder + "XML/"
    QString appName; // executable name cut at its first ".", letters after the first lower-cased, no spaces
    QString userDir; // application-data folder + "Orvane/" + appName + "/"
};

// The rule behind InitPaths, for any executable path and application-data folder (an empty
// folder stands for "cannot be determined" and gives the temporary folder).
AppPaths ComputeAppPaths(const QString &exePath, const QString &appDataDir);

// Computes the process-wide values from the running executable; only the first call has
// an effect until ClearPaths.
void InitPaths();
// Empties the process-wide values at shutdown.
void ClearPaths();

const QString &XMLDir();
const QString &AppName();
const QString &UserDir();

} // namespace kalido
