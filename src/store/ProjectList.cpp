#include "store/ProjectList.h"

namespace kalido {

namespace {
const QString ListKey = QStringLiteral("projects");
const QString EntryName = QStringLiteral("project");
const QString PathValue = QStringLiteral("path");
} // namespace

bool RememberProject(IXMLIni &ini, const QString &path)
{
    ini.OpenKey(ListKey, true);
    const auto list = ini.GetCurrentNode();
    // The same project saved again under another letter case or "&" spelling stays one entry,
    // listed under the path it was first saved as.
    if (list->FindChildByAttribute(EntryName, PathValue, path))
        return true;
    // Written through the store, so the path is kept exactly as given.
    ini.SetCurrentNode(list->AddNamedChild(EntryName));
    ini.WriteString(PathValue, path);
    return ini.UpdateFile();
}

QStringList SavedProjects(IXMLIni &ini)
{
    QStringList paths;
    if (!ini.OpenKey(ListKey, false))
        return paths;
    const auto list = ini.GetCurrentNode();
    for (int i = 0; i < list->ChildCount(); ++i) {
        const auto entry = list->Child(i);
        if (entry->NameIs(EntryName))
            paths << entry->Attribute(PathValue);
    }
    return paths;
}

} // namespace kalido
