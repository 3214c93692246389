#include "shell/ProjectData.h"

#include "services/MessageBus.h"
#include "services/Timers.h"
#include "store/ProjectList.h"
#include "store/XmlIni.h"
#include "xml/XmlNode.h"

#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;
using kalido::test::writeFile;

namespace {

// The test binary carries a resource ":/defs/Kalidoxml" holding <wizard caption="from resource"/>.
const QString resources = QStringLiteral(":/defs/");

QString wizardCaption(TxmlNode *document)
{
    TxmlNode *wizard = document->FindChild("wizard");
    return wizard ? wizard->Attribute("caption") : QStringLiteral("<none>");
}

TEST(LoadDefinition, ResourceFirstThenFileThenEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray fileXml = "<wizard caption=\"from file\"/>";
    writeFile(dir.filePath("Kalido.xml"), fileXml);
    writeFile(dir.filePath("KALIDO.xml"), fileXml);
    writeFile(dir.filePath("Other.xml"), fileXml);
    writeFile(dir.filePath("Two.xml"),
              "<!-- two -->\r\n<Wizard caption=\"first\"/>\r\n<cmd/>\r\n<wizard caption=\"second\"/>");

    struct Case
    {
        const char *file;
        QString caption;
    };
    const Case cases[] = {
        {"Kalido.xml", "from resource"}, // the resource wins over an existing file
        {"KALIDO.xml", "from resource"}, // resource names compare without regard to case
        {"Other.xml", "from file"},      // no resource "Otherxml"
        {"Two.xml", "first"},            // the first "wizard" element counts
        {"Missing.xml", "<none>"},       // neither: an empty document
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::unique_ptr<TxmlNode> document =
            TProjectData::LoadDefinition(dir.filePath(c.file), resources);
        ASSERT_TRUE(document);
        EXPECT_EQ(wizardCaption(document.get()), c.caption);
    }
    EXPECT_EQ(TProjectData::LoadDefinition(dir.filePath("Missing.xml"), resources)->ChildCount(), 0);
    // The resource is found without any file beside it.
    EXPECT_EQ(
        wizardCaption(TProjectData::LoadDefinition(QStringLiteral("/nowhere/Kalido.xml"), resources).get()),
        QStringLiteral("from resource"));
}

TEST(ProjectData, CreationBuildsTheEnvironmentAndDestructionClearsIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TProjectDataSources sources;
    sources.definitionFile = dir.filePath("XML/Show.xml");
    sources.resourceFolder = resources;
    sources.userDir = dir.filePath("config/Orvane/Show/");
    writeFile(sources.definitionFile, "<wizard caption=\"show\"/><wizard caption=\"later\"/>");
    ASSERT_FALSE(QFileInfo::exists(dir.filePath("config")));

    auto *data = new TProjectData(sources);
    EXPECT_EQ(ProjectData(), data);
    EXPECT_EQ(MessageBus(), &data->Bus());
    EXPECT_EQ(Timers(), &data->TimerService());
    EXPECT_EQ(wizardCaption(data->Definition()), QStringLiteral("show"));
    // The per-user folder exists, parents included, with the store opened on it.
    EXPECT_TRUE(QFileInfo(sources.userDir).isDir());
    ASSERT_TRUE(data->Ini());
    EXPECT_EQ(data->Ini()->GetFileName(), sources.userDir + QStringLiteral("desktop.xml"));

    // The services work through the process-wide references.
    struct Listener
    {
        int calls = 0;
        void OnMessage(IMessageBus &, const QString &, const QVariant &) { ++calls; }
    } listener;
    MessageBus()->Subscribe(QStringLiteral("device.arrival"), TMessageEvent(&listener, &Listener::OnMessage));
    MessageBus()->Send(QStringLiteral("device.arrival"));
    EXPECT_EQ(listener.calls, 1);
    EXPECT_GT(Timers()->SetTimer(60000, QStringLiteral("t"), TTimerEvent(), false), 0);

    // Only one environment at a time.
    EXPECT_THROW(TProjectData{sources}, Exception);
    EXPECT_EQ(ProjectData(), data);
    EXPECT_EQ(MessageBus(), &data->Bus());

    delete data;
    EXPECT_EQ(ProjectData(), nullptr);
    EXPECT_EQ(MessageBus(), nullptr);
    EXPECT_EQ(Timers(), nullptr);
    FreeProjectData(); // the shutdown path finds nothing left to do

    // Nothing was written on the way out.
    EXPECT_FALSE(QFileInfo::exists(sources.userDir + QStringLiteral("desktop.xml")));
}

TEST(ProjectData, ShutdownFreesALiveEnvironment)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TProjectDataSources sources;
    sources.definitionFile = dir.filePath("none.xml");
    sources.resourceFolder = resources;
    sources.userDir = dir.path();
    writeFile(dir.filePath("desktop.xml"),
              "<projects><project path=\"/home/u/a.kdp\"/><project path=\"/home/u/b.kdp\"/></projects>");

    QObject owner;
    auto *data = new TProjectData(sources, &owner);
    EXPECT_EQ(data->Definition()->ChildCount(), 0);
    EXPECT_EQ(SavedProjects(*data->Ini()), (QStringList{"/home/u/a.kdp", "/home/u/b.kdp"}));

    FreeProjectData();
    EXPECT_EQ(ProjectData(), nullptr);
    EXPECT_EQ(MessageBus(), nullptr);
    EXPECT_TRUE(owner.children().isEmpty());
}

TEST(ProjectData, FailedCreationLeavesNoReferences)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder where the settings file should be: the store cannot read it.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("desktop.xml")));
    TProjectDataSources sources;
    sources.definitionFile = dir.filePath("none.xml");
    sources.resourceFolder = resources;
    sources.userDir = dir.path();

    EXPECT_THROW(TProjectData{sources}, Exception);
    EXPECT_EQ(ProjectData(), nullptr);
    EXPECT_EQ(MessageBus(), nullptr);
    EXPECT_EQ(Timers(), nullptr);
}

} // namespace
