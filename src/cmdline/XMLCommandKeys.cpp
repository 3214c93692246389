#include "cmdline/XMLCommandKeys.h"

#include "project/CustomProperties.h"
#include "project/PropertyAccess.h"
#include "shell/ProjectData.h"
#include "util/AppPaths.h"
#include "util/Text.h"
#include "xml/XmlNode.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPointer>

#include <algorithm>

namespace kalido {

TXMLPropertyFormat::TXMLPropertyFormat(const TCommandKeys &keys, const QString &propertyName)
{
    if (!keys.Properties)
        return;
    const auto prop = FindPublishedProperty(*keys.Properties->metaObject(), propertyName.toLatin1());
    if (!prop)
        return;
    if (prop->kind == TPropKind::Boolean) {
        HasEnumNames = true;
        EnumNames = {{QStringLiteral("False"), 0}, {QStringLiteral("True"), 1}};
    } else if (prop->kind == TPropKind::Enumeration) {
        HasEnumNames = true;
        const QMetaEnum e = prop->meta.enumerator();
        for (int i = 0; i < e.keyCount(); ++i)
            EnumNames.append({QString::fromLatin1(e.key(i)), e.value(i)});
        std::stable_sort(EnumNames.begin(), EnumNames.end(),
                         [](const auto &a, const auto &b) { return a.second < b.second; });
    }
}

void TXMLPropertyFormat::Add(const QVariant &value, const QString &name, const QString &alias,
                             const QString &description)
{
    const QString encoded = EncodeEntities(description);
    if (!HasEnumNames) {
        TPropertyFormat::Add(value, name, alias, encoded);
        return;
    }
    const QString text = value.toString();
    for (const auto &[element, ordinal] : std::as_const(EnumNames)) {
        if (element.compare(text, Qt::CaseInsensitive) == 0) {
            TPropertyFormat::Add(QVariant(ordinal), name, alias, encoded);
            return;
        }
    }
}

namespace {

std::unique_ptr<TCustomProperties> createSettings()
{
    if (!PropertiesClass())
        throw Exception(QStringLiteral("PropertiesClass not defined"));
    return PropertiesClass().CreateForCommandLine();
}

template <class F> void forEachChild(TxmlNode &node, QByteArrayView name, F f)
{
    for (int i = 0; i < node.ChildCount(); ++i) {
        TxmlNode *child = node.Child(i);
        if (!child->IsComment && child->NameIs(name))
            f(*child);
    }
}

} // namespace

TXMLCommandKeys::TXMLCommandKeys(TxmlNode *cmd, TxmlNode *converters, TxmlNode *filter)
    : detail::OwnedSettings{createSettings()}, TConverterCommandKeys(detail::OwnedSettings::Settings.get())
{
    CmdNode = cmd;
    if (converters) {
        auto format = std::make_unique<TPropertyFormat>();
        readConverters(*converters, *format);
        AddKey(QStringLiteral("ConvertTypeCmd"), QStringLiteral("c"), QStringLiteral("Convert to"),
               std::move(format));
    }
    if (filter) {
        QStringList exts;
        forEachChild(*filter, "item", [&](TxmlNode &item) { exts << item.Attribute("ext"); });
        FilterExts = exts.join(u';');
    }
    if (!cmd)
        return;
    NoDestination = EqualText(cmd->Attribute("options"), QStringLiteral("no_destination"));
    forEachChild(*cmd, "key", [&](TxmlNode &key) { readKey(key); });
}

TXMLCommandKeys::~TXMLCommandKeys() = default;

void TXMLCommandKeys::readConverters(TxmlNode &node, TPropertyFormat &format)
{
    forEachChild(node, "convert", [&](TxmlNode &convert) {
        const QString value = convert.Attribute("value");
        if (!value.isEmpty())
            format.Add(value, value, value, QStringLiteral("convert to ") + convert.Attribute("name"));
        readConverters(convert, format);
    });
}

void TXMLCommandKeys::readKey(TxmlNode &key)
{
    if (EqualText(key.Attribute("options"), QStringLiteral("ignore"))) {
        RemoveKey(FindKey(key.Attribute("name")));
        return;
    }
    const QString property = key.Attribute("property");
    std::unique_ptr<TXMLPropertyFormat> format;
    forEachChild(key, "subkey", [&](TxmlNode &subkey) {
        if (!format)
            format = std::make_unique<TXMLPropertyFormat>(*this, property);
        // "(j)peg": the short form j, the full form jpeg.
        const QString name = subkey.Attribute("name");
        QString shortForm = name;
        QString fullForm = name;
        const qsizetype open = name.indexOf(u'(');
        if (open >= 0) {
            const qsizetype close = name.indexOf(u')');
            shortForm = close > open ? name.mid(open + 1, close - open - 1) : QString();
            fullForm = QString(name).remove(u'(').remove(u')');
        }
        QString value = subkey.Attribute("value");
        if (value.isEmpty())
            value = shortForm;
        format->Add(value, shortForm, fullForm, subkey.Attribute("desc"));
    });
    TCommandRecord *record =
        AddKey(property, key.Attribute("name"), EncodeEntities(key.Attribute("desc")), std::move(format));
    if (TxmlNode *comment = key.FindChild("comment"); comment && !comment->IsComment)
        record->Comment =
            ReplaceAll(comment->Attribute("value"), QStringLiteral("\\n"), QStringLiteral("<br>"));
}

namespace {

std::unique_ptr<TXMLCommandKeys> &commandKeys()
{
    static std::unique_ptr<TXMLCommandKeys> keys;
    return keys;
}

std::function<void(const QString &)> &errorHandler()
{
    static std::function<void(const QString &)> handler;
    return handler;
}

void reportFailure(const QString &message)
{
    if (errorHandler()) {
        errorHandler()(message);
        return;
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QMessageBox::critical(nullptr, AppName(), message);
    QCoreApplication::exit(1);
}

} // namespace

TXMLCommandKeys *CommandKeys()
{
    return commandKeys().get();
}

void CreateCommandKeys(TProjectData &projectData)
{
    if (commandKeys())
        return;
    TxmlNode *definition = projectData.Definition();
    TxmlNode *cmd = definition ? definition->FindChild("cmd") : nullptr;
    if (!cmd || cmd->IsComment)
        return;
    try {
        commandKeys() = std::make_unique<TXMLCommandKeys>(cmd, definition->FindChild("converters"),
                                                          definition->FindChild("filter"));
    } catch (const std::exception &e) {
        const auto *k = dynamic_cast<const Exception *>(&e);
        reportFailure(k ? k->message() : QString::fromLocal8Bit(e.what()));
        return;
    }
    // The table reads the environment's definition: it goes when the environment goes.
    QObject::connect(&projectData, &QObject::destroyed, [] { FreeCommandKeys(); });
}

void FreeCommandKeys()
{
    commandKeys().reset();
}

void SetCommandKeysErrorHandler(std::function<void(const QString &message)> handler)
{
    errorHandler() = std::move(handler);
}

} // namespace kalido
