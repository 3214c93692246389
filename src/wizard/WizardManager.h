#pragma once

#include "util/Errors.h"

#include <QList>
#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace kalido {

class TCommonWizardFrame;
class TxmlNode;

// A page name or class name that nothing registered.
class EClassNotFound : public Exception
{
public:
    using Exception::Exception;
};

// A frame class: its name and how to make a finished frame of it (constructed, translated,
// InitPage run) owned by a wizard.
struct TFrameClass
{
    QString ClassName;
    std::function<TCommonWizardFrame *(QWidget *owner)> Create;

    explicit operator bool() const { return static_cast<bool>(Create); }
};

// The frame class of T, which derives from TCommonWizardFrame and has a constructor taking the
// owning wizard window (QWidget *).
template <class T> TFrameClass FrameClassOf();

// The page registry: page names (any case) to frame classes; the first registration of a name wins.
class TWizardManager
{
public:
    void RegisterPage(const TFrameClass &frameClass, const QString &pageName);
    // The page table first, then the registry of named classes; throws "Class <Name> not found".
    TFrameClass FindPageClass(const QString &name) const;

private:
    QList<std::pair<QString, TFrameClass>> pages_;
};

// The process-wide registry, made at start-up (or on first use) before any page registers.
void CreateWizardManager();
TWizardManager &WizardManager();
void FreeWizardManager();

void RegisterPage(const TFrameClass &frameClass, const QString &pageName);
template <class T> void RegisterPage(const QString &pageName)
{
    RegisterPage(FrameClassOf<T>(), pageName);
}

// The process-wide registry of named classes, searched when a page name is not registered.
// The name is the class name without its namespace; a second class of the same name is ignored.
void RegisterClass(const TFrameClass &frameClass);
template <class T> void RegisterClass()
{
    RegisterClass(FrameClassOf<T>());
}
void UnregisterClasses();

// A condition "Property=Value" ("<>" anywhere inverts it) over the published properties of
// Settings. The text is split at "<", "=" and ">"; a property that does not exist or cannot be
// read never holds. Spaces belong to the words.
bool ConditionHolds(const QString &condition, const QObject &settings);

// The steps of a "wizard" element: the "page" elements, depth first through "category"
// elements, whose own and enclosing "if" conditions hold; Translate maps each caption.
struct TWizardStep
{
    QString Caption;
    TxmlNode *Page = nullptr;
};
QList<TWizardStep> CollectSteps(TxmlNode *wizardElement, const QObject &settings,
                                const std::function<QString(const QString &)> &translate);

// A decimal attribute value; anything else, or a negative value, counts as 0.
int ParseHeight(const QString &text);

} // namespace kalido

#include "wizard/FrameClass.inl"
