#include "wizard/WizardManager.h"

#include "project/PropertyAccess.h"
#include "util/Text.h"
#include "xml/XmlNode.h"

#include <QObject>
#include <memory>

namespace kalido {

namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::unique_ptr<TWizardManager> wizardManager;

QList<TFrameClass> &namedClasses()
{
    static QList<TFrameClass> classes;
    return classes;
}

} // namespace

void TWizardManager::RegisterPage(const TFrameClass &frameClass, const QString &pageName)
{
    for (const auto &entry : pages_) {
        if (sameName(entry.first, pageName))
            return;
    }
    // Kept in name order, as the table is shown when debugging; look-ups do not depend on it.
    auto at = std::find_if(pages_.begin(), pages_.end(), [&](const auto &entry) {
        return QString::localeAwareCompare(entry.first.toLower(), pageName.toLower()) > 0;
    });
    pages_.insert(at, {pageName, frameClass});
}

TFrameClass TWizardManager::FindPageClass(const QString &name) const
{
    for (const auto &entry : pages_) {
        if (sameName(entry.first, name))
            return entry.second;
    }
    for (const TFrameClass &cls : namedClasses()) {
        if (sameName(cls.ClassName, name))
            return cls;
    }
    throw EClassNotFound(QStringLiteral("Class %1 not found").arg(name));
}

void CreateWizardManager()
{
    if (!wizardManager)
        wizardManager = std::make_unique<TWizardManager>();
}

TWizardManager &WizardManager()
{
    CreateWizardManager();
    return *wizardManager;
}

void FreeWizardManager()
{
    wizardManager.reset();
}

void RegisterPage(const TFrameClass &frameClass, const QString &pageName)
{
    WizardManager().RegisterPage(frameClass, pageName);
}

void RegisterClass(const TFrameClass &frameClass)
{
    for (const TFrameClass &cls : namedClasses()) {
        if (sameName(cls.ClassName, frameClass.ClassName))
            return;
    }
    namedClasses().append(frameClass);
}

void UnregisterClasses()
{
    namedClasses().clear();
}

bool ConditionHolds(const QString &condition, const QObject &settings)
{
    static const CharSet operators("<=>");
    const QString name = ExtractWord(1, condition, operators);
    const QString value = ExtractWord(2, condition, operators);
    QString current;
    try {
        const std::optional<TPropInfo> prop = FindPublishedProperty(*settings.metaObject(), name.toUtf8());
        if (!prop)
            return false;
        current = GetPropText(settings, *prop);
    } catch (const std::exception &) {
        return false;
    }
    const bool equal = current.compare(value, Qt::CaseInsensitive) == 0;
    return condition.contains(QLatin1String("<>")) ? !equal : equal;
}

namespace {

bool included(TxmlNode *node, const QObject &settings)
{
    const QString condition = node->Attribute("if");
    return condition.isEmpty() || ConditionHolds(condition, settings);
}

// Depth first in document order, without recursion: categories may nest to any depth.
void collect(TxmlNode *root, const QObject &settings,
             const std::function<QString(const QString &)> &translate, QList<TWizardStep> &steps)
{
    QList<std::pair<TxmlNode *, int>> stack{{root, 0}};
    while (!stack.isEmpty()) {
        auto &[parent, next] = stack.last();
        if (next >= parent->ChildCount()) {
            stack.removeLast();
            continue;
        }
        TxmlNode *child = parent->Child(next++);
        if (child->IsComment)
            continue;
        if (child->NameIs("category")) {
            if (included(child, settings))
                stack.append({child, 0});
        } else if (child->NameIs("page")) {
            if (included(child, settings)) {
                const QString caption = child->Attribute("caption");
                steps.append({translate ? translate(caption) : caption, child});
            }
        }
    }
}

} // namespace

QList<TWizardStep> CollectSteps(TxmlNode *wizardElement, const QObject &settings,
                                const std::function<QString(const QString &)> &translate)
{
    QList<TWizardStep> steps;
    if (wizardElement)
        collect(wizardElement, settings, translate, steps);
    return steps;
}

int ParseHeight(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok && value > 0 ? value : 0;
}

} // namespace kalido
