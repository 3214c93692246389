#pragma once

#include "util/Errors.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QObject;

namespace kalido {

// How a control is used by a binding; picks the control's default property.
enum TBindingKind {
    bkAny = 0,   // carries the whole value (an edit's text, a radio group's index)
    bkState = 1, // on/off state of one control among several
    bkChar = 2,  // a single character
};

// The table of default properties by control class: which property of a control carries its
// value. The class is the control's exact class (QMetaObject::className()).
class TPropertyManager
{
public:
    // With the entries for the controls pages use: line edits, button edits, check boxes, radio
    // buttons, radio groups, combo boxes and spin boxes.
    TPropertyManager();

    // Ignored when ClassName=PropertyName is already there (any case), whatever its kind.
    void RegisterDefaultProperty(const QString &className, const QString &propertyName, int kind = bkAny);
    // The first entry of the class with the kind or kind 0, else the first of the class, else empty.
    QString GetDefaultProperty(const QString &className, int kind) const;

private:
    struct Entry
    {
        QString className;
        QString propertyName;
        int kind;
    };
    QList<Entry> entries_;
};

// The process-wide table; created by CreatePropertyManager at start-up (or on first use).
void CreatePropertyManager();
TPropertyManager &PropertyManager();
void FreePropertyManager();

// A control class without a default property met by a binding.
class EBindingError : public Exception
{
public:
    using Exception::Exception;
};

// A page's bindings: texts "Property=control" or "Property=control1,control2,...". Controls are
// found by object name, any case, among the objects below the page; names not found are skipped.
class TPropertyBindings
{
public:
    explicit TPropertyBindings(QObject *page) : page_(page) {}

    void SetBindings(const QStringList &texts) { texts_ = texts; }
    const QStringList &Bindings() const { return texts_; }

    // The controls take the settings' values.
    void LoadBindings(QObject &settings) const;
    // The settings take the controls' values.
    void StoreBindings(QObject &settings) const;

private:
    QObject *findControl(const QString &name) const;

    QObject *page_;
    QStringList texts_;
};

} // namespace kalido
