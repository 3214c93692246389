#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace kalido {

class TFileList;
class IXMLIni;

// The settings object: everything a job needs (its source files, its destination, its options)
// in one object that wizard pages, command keys, project files and the job itself share. Its
// values are published properties, read and written by name through project/PropertyAccess.h.
// Products derive their own settings class and register it as PropertiesClass.
class TCustomProperties : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int FileCount READ FileCount)
    Q_PROPERTY(QString Destination READ Destination WRITE SetDestination)
    Q_PROPERTY(bool KeepFolderStructure READ KeepFolderStructure WRITE SetKeepFolderStructure)
    Q_PROPERTY(TCheckFileMode CheckFileMode READ CheckFileMode WRITE SetCheckFileMode)
    Q_PROPERTY(bool DeleteOriginals READ DeleteOriginals WRITE SetDeleteOriginals)
    Q_PROPERTY(bool NoGUI READ NoGUI WRITE SetNoGUI)
    Q_PROPERTY(QByteArray ConvertTypeCmd READ ConvertTypeCmd WRITE SetConvertTypeCmd)
    Q_PROPERTY(QString JournalFileName READ JournalFileName WRITE SetJournalFileName)

public:
    // What a job does when its destination file already exists.
    enum TCheckFileMode { cfmAsk, cfmOverwrite, cfmRename, cfmSkip, cfmCancel };
    Q_ENUM(TCheckFileMode)

    explicit TCustomProperties(QObject *parent = nullptr);
    ~TCustomProperties() override;

    // A new object of class T made for a command-line job (CommandLine set).
    template <class T> static std::unique_ptr<T> CreateForCommandLine()
    {
        auto obj = std::make_unique<T>();
        static_cast<TCustomProperties &>(*obj).commandLine_ = true;
        return obj;
    }

    bool CommandLine() const { return commandLine_; }
    TFileList &Files() { return *files_; }
    const TFileList &Files() const { return *files_; }
    // Extension, without its dot, that a single source file's suggested destination receives.
    const QString &TargetExt() const { return targetExt_; }
    void SetTargetExt(const QString &ext) { targetExt_ = ext; }
    // Properties never stored: each lower-case name followed by ";".
    const QString &ExcludedKeys() const { return excludedKeys_; }
    // Names of the stored properties; built on first use.
    const QStringList &PropNames();

    int FileCount() const;
    const QString &Destination() const { return destination_; }
    // Also records the destination's folder in LastDestinationFolder.
    void SetDestination(const QString &value);
    bool KeepFolderStructure() const { return keepFolderStructure_; }
    void SetKeepFolderStructure(bool value) { keepFolderStructure_ = value; }
    TCheckFileMode CheckFileMode() const { return checkFileMode_; }
    void SetCheckFileMode(TCheckFileMode value) { checkFileMode_ = value; }
    bool DeleteOriginals() const { return deleteOriginals_; }
    void SetDeleteOriginals(bool value) { deleteOriginals_ = value; }
    bool NoGUI() const { return noGUI_; }
    void SetNoGUI(bool value) { noGUI_ = value; }
    // Write-only in effect: reads empty, writing selects ConvertType (SetConvertType).
    QByteArray ConvertTypeCmd() const { return {}; }
    void SetConvertTypeCmd(const QByteArray &value) { SetConvertType(value); }
    const QString &JournalFileName() const { return journalFileName_; }
    void SetJournalFileName(const QString &value) { journalFileName_ = value; }

    // Fills Destination from the last destination, the files' common folder or the default folder.
    virtual void SuggestDestination();
    // The user's documents folder, the home folder when that is unknown.
    virtual QString GetDefaultFolder();
    // Selects the ConvertType value whose name ends with Name (underscores dropped, any case).
    // Does nothing on a class without ConvertType; throws "Invalid convert method: <Name>" when
    // no value matches.
    virtual void SetConvertType(const QByteArray &name);
    // Writes the stored properties as values of the key open on Store; opens and writes nothing else.
    virtual void SaveTo(IXMLIni &store);
    // Reads the stored properties from the key open on Store. Empty or missing values leave a
    // property alone; the first value that does not convert throws, keeping the values read before it.
    virtual void LoadFrom(IXMLIni &store);
    // Whether the job can start with these settings.
    virtual bool CanStart();

    void BuildPropNames();

protected:
    void SetExcludedKeys(const QString &keys) { excludedKeys_ = keys; }

private:
    friend class TPropertiesClass;

    bool commandLine_ = false;
    std::unique_ptr<TFileList> files_;
    QString destination_;
    bool keepFolderStructure_ = true;
    bool deleteOriginals_ = false;
    TCheckFileMode checkFileMode_ = cfmAsk;
    bool noGUI_ = false;
    QString journalFileName_;
    QString targetExt_;
    std::optional<QStringList> propNames_;
    QString excludedKeys_ = QStringLiteral("filecount;converttype;destination;converttypecmd;nogui;");
};

using TCheckFileMode = TCustomProperties::TCheckFileMode;

// The folder of the destination most recently written to any settings object (ending in the
// delimiter), or empty. Shared by all settings objects of the process.
const QString &LastDestinationFolder();
void SetLastDestinationFolder(const QString &folder);

// A reference to a settings class: its meta-object and how to make one.
class TPropertiesClass
{
public:
    TPropertiesClass() = default;

    template <class T> static TPropertiesClass Of()
    {
        return TPropertiesClass(&T::staticMetaObject,
                                [] { return std::unique_ptr<TCustomProperties>(new T); });
    }

    explicit operator bool() const { return metaObject_ != nullptr; }
    const QMetaObject *MetaObject() const { return metaObject_; }
    // A new object with its defaults. Throws "PropertiesClass not defined" on an empty reference.
    std::unique_ptr<TCustomProperties> Create() const;
    // The same, made for a command-line job.
    std::unique_ptr<TCustomProperties> CreateForCommandLine() const;

private:
    TPropertiesClass(const QMetaObject *meta, std::function<std::unique_ptr<TCustomProperties>()> make)
        : metaObject_(meta), make_(std::move(make))
    {}

    const QMetaObject *metaObject_ = nullptr;
    std::function<std::unique_ptr<TCustomProperties>()> make_;
};

// The product's settings class, set during start-up (RegisterKDProperties) and cleared at shutdown.
TPropertiesClass &PropertiesClass();

// Shutdown of this module: forgets PropertiesClass and LastDestinationFolder.
void DoneCustomProperties();

} // namespace kalido
