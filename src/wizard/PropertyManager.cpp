#include "wizard/PropertyManager.h"

#include "project/PropertyAccess.h"

#include <QMetaProperty>
#include <QObject>
#include <QVariant>

namespace kalido {

TPropertyManager::TPropertyManager()
{
    RegisterDefaultProperty(QStringLiteral("kalido::TxRadioGroup"), QStringLiteral("itemIndex"));
    RegisterDefaultProperty(QStringLiteral("QLineEdit"), QStringLiteral("text"));
    RegisterDefaultProperty(QStringLiteral("kalido::TxButtonEdit"), QStringLiteral("text"));
    RegisterDefaultProperty(QStringLiteral("QCheckBox"), QStringLiteral("checked"));
    RegisterDefaultProperty(QStringLiteral("QRadioButton"), QStringLiteral("checked"));
    RegisterDefaultProperty(QStringLiteral("QComboBox"), QStringLiteral("currentText"));
    RegisterDefaultProperty(QStringLiteral("QComboBox"), QStringLiteral("currentIndex"), bkState);
    RegisterDefaultProperty(QStringLiteral("QSpinBox"), QStringLiteral("value"));
}

void TPropertyManager::RegisterDefaultProperty(const QString &className, const QString &propertyName,
                                               int kind)
{
    for (const Entry &e : entries_) {
        if (e.className.compare(className, Qt::CaseInsensitive) == 0 &&
            e.propertyName.compare(propertyName, Qt::CaseInsensitive) == 0)
            return;
    }
    entries_.append({className, propertyName, kind});
}

QString TPropertyManager::GetDefaultProperty(const QString &className, int kind) const
{
    const Entry *first = nullptr;
    for (const Entry &e : entries_) {
        if (e.className.compare(className, Qt::CaseInsensitive) != 0)
            continue;
        if (e.kind == kind || e.kind == bkAny)
            return e.propertyName;
        if (!first)
            first = &e;
    }
    return first ? first->propertyName : QString();
}

namespace {
std::unique_ptr<TPropertyManager> propertyManager;
} // namespace

void CreatePropertyManager()
{
    if (!propertyManager)
        propertyManager = std::make_unique<TPropertyManager>();
}

TPropertyManager &PropertyManager()
{
    CreatePropertyManager();
    return *propertyManager;
}

void FreePropertyManager()
{
    propertyManager.reset();
}

// ---- bindings ----

namespace {

enum class SettingKind { Char, Enumerated, Set, Other };

SettingKind settingKind(const TPropInfo &prop)
{
    if (prop.meta.metaType().id() == QMetaType::QChar)
        return SettingKind::Char;
    switch (prop.kind) {
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
        return SettingKind::Enumerated;
    case TPropKind::Set:
        return SettingKind::Set;
    default:
        return SettingKind::Other;
    }
}

// "Property=control" or "Property=control1,control2,...": the property, the control part as
// written, and the control names of a list.
struct BindingParts
{
    QString property;
    QString controls;
    QStringList names;
};

BindingParts splitBinding(const QString &text)
{
    BindingParts parts{text.section(u'=', 0, 0), text.section(u'=', 1), {}};
    parts.names = parts.controls.split(u',');
    return parts;
}

TPropInfo settingProperty(const QObject &settings, const QString &name)
{
    std::optional<TPropInfo> prop = FindPublishedProperty(*settings.metaObject(), name.toLatin1());
    if (!prop)
        throw EPropertyError(QStringLiteral("Unknown property: ") + name);
    return *prop;
}

int readOrdinal(const QObject &settings, const TPropInfo &prop)
{
    // Through the text form, which knows every kind of enumeration and set.
    const QString text = GetPropText(settings, prop);
    switch (prop.kind) {
    case TPropKind::Boolean:
        return TextToBool(text) ? 1 : 0;
    case TPropKind::Enumeration:
        return TextToEnum(prop.meta.enumerator(), text);
    case TPropKind::Set:
        return TextToSet(prop.meta.enumerator(), text);
    default:
        return prop.meta.read(&settings).toInt();
    }
}

void writeOrdinal(QObject &settings, const TPropInfo &prop, int value)
{
    switch (prop.kind) {
    case TPropKind::Boolean:
        SetPropText(settings, prop, value != 0 ? QStringLiteral("True") : QStringLiteral("False"));
        break;
    case TPropKind::Enumeration:
        SetPropText(settings, prop, EnumToText(prop.meta.enumerator(), value));
        break;
    case TPropKind::Set:
        SetPropText(settings, prop, SetToText(prop.meta.enumerator(), value));
        break;
    default:
        throw EPropertyError(QStringLiteral("Property ") + QString::fromLatin1(prop.name) +
                             QStringLiteral(" is not enumerated"));
    }
}

// The control's default property for Kind, checked to exist on the control.
QMetaProperty controlProperty(const QObject &control, int kind)
{
    const QString className = QString::fromLatin1(control.metaObject()->className());
    const QString name = PropertyManager().GetDefaultProperty(className, kind);
    if (name.isEmpty())
        throw EBindingError(QStringLiteral("Default property for class ") + className +
                            QStringLiteral(" not defined"));
    const int index = control.metaObject()->indexOfProperty(name.toLatin1().constData());
    if (index < 0)
        throw EPropertyError(QStringLiteral("Unknown property: ") + name);
    return control.metaObject()->property(index);
}

void writeControl(QObject &control, const QMetaProperty &p, const QVariant &value)
{
    QVariant v = value;
    switch (p.metaType().id()) {
    case QMetaType::Bool:
        if (v.metaType().id() == QMetaType::QString)
            v = TextToBool(v.toString());
        else
            v = v.toInt() != 0;
        break;
    case QMetaType::Int:
        if (v.metaType().id() == QMetaType::QString)
            v = static_cast<int>(TextToInt(v.toString(), INT_MIN, INT_MAX));
        else
            v = v.toInt();
        break;
    case QMetaType::QString:
        v = v.toString();
        break;
    default:
        if (!v.convert(p.metaType()))
            throw EPropertyError(QStringLiteral("Invalid value for property ") +
                                 QString::fromLatin1(p.name()));
    }
    if (!p.write(&control, v))
        throw EPropertyError(QStringLiteral("Property ") + QString::fromLatin1(p.name()) +
                             QStringLiteral(" cannot be written"));
}

int controlOrdinal(const QObject &control, const QMetaProperty &p)
{
    const QVariant v = p.read(&control);
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return v.toInt();
}

// The control's value as text, the form every settings property takes.
QString controlText(const QObject &control, const QMetaProperty &p)
{
    const QVariant v = p.read(&control);
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

bool isValidEnumValue(const TPropInfo &prop, int value)
{
    if (prop.kind == TPropKind::Boolean)
        return true;
    return prop.meta.enumerator().valueToKey(value) != nullptr;
}

} // namespace

QObject *TPropertyBindings::findControl(const QString &name) const
{
    if (!page_ || name.isEmpty())
        return nullptr;
    for (QObject *child : page_->findChildren<QObject *>()) {
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

void TPropertyBindings::LoadBindings(QObject &settings) const
{
    for (const QString &text : texts_) {
        const auto [property, controls, names] = splitBinding(text);
        const TPropInfo prop = settingProperty(settings, property);
        switch (settingKind(prop)) {
        case SettingKind::Char:
            if (QObject *c = findControl(controls)) {
                const QChar ch = prop.meta.read(&settings).value<QChar>();
                writeControl(*c, controlProperty(*c, bkChar), ch.isNull() ? QString() : QString(ch));
            }
            break;
        case SettingKind::Enumerated: {
            const int value = readOrdinal(settings, prop);
            if (names.size() >= 2) {
                for (int i = 0; i < names.size(); ++i) {
                    if (QObject *c = findControl(names[i]))
                        writeControl(*c, controlProperty(*c, bkState), value == i);
                }
            } else if (QObject *c = findControl(controls)) {
                writeControl(*c, controlProperty(*c, bkState), value);
            }
            break;
        }
        case SettingKind::Set: {
            const quint32 bits = static_cast<quint32>(readOrdinal(settings, prop));
            for (int i = 0; i < names.size() && i < 32; ++i) {
                if (QObject *c = findControl(names[i]))
                    writeControl(*c, controlProperty(*c, bkState), (bits >> i & 1u) != 0);
            }
            break;
        }
        case SettingKind::Other:
            if (QObject *c = findControl(controls))
                writeControl(*c, controlProperty(*c, bkAny), GetPropText(settings, prop));
            break;
        }
    }
}

void TPropertyBindings::StoreBindings(QObject &settings) const
{
    for (const QString &text : texts_) {
        const auto [property, controls, names] = splitBinding(text);
        const TPropInfo prop = settingProperty(settings, property);
        switch (settingKind(prop)) {
        case SettingKind::Char:
            if (QObject *c = findControl(controls)) {
                const QString s = controlText(*c, controlProperty(*c, bkChar));
                if (!prop.meta.write(&settings, QVariant::fromValue(s.isEmpty() ? QChar() : s.front())))
                    throw EPropertyError(QStringLiteral("Property ") + property +
                                         QStringLiteral(" is read-only"));
            }
            break;
        case SettingKind::Enumerated:
            if (names.size() == 1) {
                if (QObject *c = findControl(controls)) {
                    const int value = controlOrdinal(*c, controlProperty(*c, bkState));
                    // A radio group with nothing checked leaves the value as it was.
                    if (isValidEnumValue(prop, value))
                        writeOrdinal(settings, prop, value);
                }
            } else {
                for (int i = 0; i < names.size(); ++i) {
                    QObject *c = findControl(names[i]);
                    if (c && controlOrdinal(*c, controlProperty(*c, bkState)) == 1) {
                        writeOrdinal(settings, prop, i);
                        break;
                    }
                }
            }
            break;
        case SettingKind::Set: {
            if (controls.isEmpty())
                break;
            quint32 bits = 0;
            for (int i = 0; i < names.size() && i < 32; ++i) {
                QObject *c = findControl(names[i]);
                if (c && controlOrdinal(*c, controlProperty(*c, bkState)) == 1)
                    bits |= 1u << i;
            }
            writeOrdinal(settings, prop, static_cast<int>(bits));
            break;
        }
        case SettingKind::Other:
            if (QObject *c = findControl(controls))
                SetPropText(settings, prop, controlText(*c, controlProperty(*c, bkAny)));
            break;
        }
    }
}

} // namespace kalido
