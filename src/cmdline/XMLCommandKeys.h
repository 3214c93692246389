#pragma once

#include "cmdline/ConverterCommandKeys.h"

#include <QList>
#include <QPair>

#include <functional>
#include <memory>

namespace kalido {

class TProjectData;
class TxmlNode;

// Accepted values of a key read from the definition. For a key whose property is an
// enumeration (a Boolean included), a value is the name of an element and is stored as its
// ordinal; values that name no element are dropped.
class TXMLPropertyFormat : public TPropertyFormat
{
public:
    TXMLPropertyFormat(const TCommandKeys &keys, const QString &propertyName);

    void Add(const QVariant &value, const QString &name, const QString &alias,
             const QString &description) override;

    bool HasEnumNames = false;
    // Element names with their ordinals, lowest ordinal first.
    QList<QPair<QString, int>> EnumNames;
};

namespace detail {
struct OwnedSettings
{
    std::unique_ptr<TCustomProperties> Settings;
};
} // namespace detail

// A converter table whose keys, conversion types and source filter come from the "cmd",
// "converters" and "filter" elements of the application definition. It makes its own settings
// object from PropertiesClass and owns it.
class TXMLCommandKeys : private detail::OwnedSettings, public TConverterCommandKeys
{
public:
    // Converters and Filter may be null. Throws "PropertiesClass not defined" when no settings
    // class is registered.
    TXMLCommandKeys(TxmlNode *cmd, TxmlNode *converters, TxmlNode *filter);
    ~TXMLCommandKeys() override;

    QString FilterExtensions() const override { return FilterExts; }

    TxmlNode *CmdNode = nullptr;
    QString FilterExts;

private:
    void readConverters(TxmlNode &node, TPropertyFormat &format);
    void readKey(TxmlNode &key);
};

// The process-wide table, null until CreateCommandKeys builds one.
TXMLCommandKeys *CommandKeys();
// Builds CommandKeys from the environment's definition when it holds a "cmd" element and no
// table exists yet. The table is freed with the environment object. A failure is reported
// through the error handler (by default a message box, then the application is asked to quit).
void CreateCommandKeys(TProjectData &projectData);
// Frees CommandKeys; the module's shutdown step.
void FreeCommandKeys();
// Replaces the report of a failed CreateCommandKeys; an empty function restores the default.
void SetCommandKeysErrorHandler(std::function<void(const QString &message)> handler);

} // namespace kalido
