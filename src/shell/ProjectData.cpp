#include "shell/ProjectData.h"

#include "services/MessageBus.h"
#include "services/Timers.h"
#include "store/XmlIni.h"
#include "util/AppPaths.h"
#include "util/Errors.h"
#include "util/FsName.h"
#include "util/Paths.h"
#include "util/Text.h"
#include "xml/XmlNode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace kalido {

namespace {

TProjectData *currentProjectData = nullptr;
IMessageBus *currentMessageBus = nullptr;
ITimers *currentTimers = nullptr;

// The resource of that name in Folder: the exact name first, then one that differs only in
// letter case (the program may run under a name spelled differently from the one it was built
// with). Empty when there is none.
QString findResource(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return QString();
    const QString dir = IncludeSlash(folder);
    if (QFileInfo(dir + name).isFile())
        return dir + name;
    const QStringList entries = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir + entry;
    return QString();
}

// Creates Dir and every missing folder above it; failures are left to whoever uses the folder.
void forceDirectories(const QString &dir)
{
    const QByteArray path = FsEncode(ExcludeSlash(dir));
    for (qsizetype i = 1; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '/')
            ::mkdir(path.left(i).constData(), 0777);
}

} // namespace

TProjectDataSources TProjectDataSources::FromPaths()
{
    InitPaths();
    TProjectDataSources sources;
    sources.definitionFile = XMLDir() + AppName() + QStringLiteral(".xml");
    sources.userDir = UserDir();
    return sources;
}

TProjectData::TProjectData(QObject *parent) : TProjectData(TProjectDataSources::FromPaths(), parent) {}

TProjectData::TProjectData(const TProjectDataSources &sources, QObject *parent) : QObject(parent)
{
    if (currentProjectData)
        throw Exception(QStringLiteral("The application environment exists already"));
    currentProjectData = this;
    try {
        create(sources);
    } catch (...) {
        // No destructor runs for an object whose constructor failed: undo by hand.
        currentMessageBus = nullptr;
        currentTimers = nullptr;
        currentProjectData = nullptr;
        throw;
    }
}

void TProjectData::create(const TProjectDataSources &sources)
{
    bus_ = std::make_unique<TMessageBus>();
    currentMessageBus = bus_.get();
    timers_ = std::make_unique<TTimers>();
    currentTimers = timers_.get();
    definition_ = LoadDefinition(sources.definitionFile, sources.resourceFolder);
    forceDirectories(sources.userDir);
    ini_ = NewXMLIni(IncludeSlash(sources.userDir) + QStringLiteral("desktop.xml"));
}

TProjectData::~TProjectData()
{
    definition_.reset();
    // The store writes nothing on its way out.
    ini_.reset();
    currentMessageBus = nullptr;
    currentTimers = nullptr;
    timers_.reset();
    bus_.reset();
    if (currentProjectData == this)
        currentProjectData = nullptr;
}

IMessageBus &TProjectData::Bus() const
{
    return *bus_;
}

ITimers &TProjectData::TimerService() const
{
    return *timers_;
}

std::unique_ptr<TxmlNode> TProjectData::LoadDefinition(const QString &fileName, const QString &resourceFolder)
{
    const QString resName =
        ReplaceAll(fileName.mid(ExtractFolder(fileName).size()), QStringLiteral("."), QString());
    const QString resource = findResource(resourceFolder, resName);
    if (!resource.isEmpty()) {
        QFile file(resource);
        if (file.open(QIODevice::ReadOnly))
            return LoadXmlStream(file);
    }
    return LoadXmlFile(fileName);
}

TProjectData *ProjectData()
{
    return currentProjectData;
}

IMessageBus *MessageBus()
{
    return currentMessageBus;
}

ITimers *Timers()
{
    return currentTimers;
}

void FreeProjectData()
{
    delete currentProjectData;
    currentMessageBus = nullptr;
    currentTimers = nullptr;
}

} // namespace kalido
