#pragma once

#include "store/XmlIni.h"

#include <QStringList>

namespace kalido {

// The list of saved projects in the per-user settings file: a top-level "projects" element with
// one "project" child per project file, its "path" attribute holding the full path, in the order
// the projects were first saved.

// Adds Path to the list and writes the file, unless the list already holds exactly that path
// (then nothing is written). False only when writing the file failed. EXMLIniFailure on errors.
bool RememberProject(IXMLIni &ini, const QString &path);

// The paths of the "project" children in document order; empty when there is no list.
QStringList SavedProjects(IXMLIni &ini);

} // namespace kalido
