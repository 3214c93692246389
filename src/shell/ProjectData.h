#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace kalido {

class IMessageBus;
class ITimers;
class IXMLIni;
class TMessageBus;
class TTimers;
class TxmlNode;

// Where the environment object finds its inputs. FromPaths() gives the program's own (call
// InitPaths first); tests point them at their own files.
struct TProjectDataSources
{
    // The definition file; its name without folder and dots also names the embedded resource.
    QString definitionFile;
    // The folder searched for the embedded definition: the root of the program's resources.
    QString resourceFolder = QStringLiteral(":/");
    // The per-user folder holding "desktop.xml".
    QString userDir;

    static TProjectDataSources FromPaths();
};

// What the whole program shares: the application definition, the per-user settings store on
// "desktop.xml", the message bus and the timer service. One instance exists at a time; while it
// lives, ProjectData(), MessageBus() and Timers() reach it and its services. The services live
// exactly as long as this object: the references handed out never keep them alive.
class TProjectData : public QObject
{
    Q_OBJECT

public:
    // Builds the environment from the program's paths.
    explicit TProjectData(QObject *parent = nullptr);
    explicit TProjectData(const TProjectDataSources &sources, QObject *parent = nullptr);
    ~TProjectData() override;

    // The parsed definition: a document node whose children are its top-level elements.
    TxmlNode *Definition() const { return definition_.get(); }
    const std::shared_ptr<IXMLIni> &Ini() const { return ini_; }
    IMessageBus &Bus() const;
    ITimers &TimerService() const;

    // The definition from the resource named after FileName without folder and dots (letter case
    // aside) in ResourceFolder, else from the file; a definition found nowhere gives an empty
    // document. The caller owns the result.
    static std::unique_ptr<TxmlNode> LoadDefinition(const QString &fileName,
                                                    const QString &resourceFolder = QStringLiteral(":/"));

private:
    void create(const TProjectDataSources &sources);

    std::unique_ptr<TxmlNode> definition_;
    std::shared_ptr<IXMLIni> ini_;
    std::unique_ptr<TTimers> timers_;
    std::unique_ptr<TMessageBus> bus_;
};

// The process-wide references; null while no environment object exists.
TProjectData *ProjectData();
IMessageBus *MessageBus();
ITimers *Timers();

// Shutdown of the environment: destroys the environment object if it still exists.
void FreeProjectData();

} // namespace kalido
