#include "AppFixture.h"

using namespace kalido;
using namespace kalido::test;

namespace {

class ProjectFilesTest : public AppFixture
{
protected:
    // The wizard on the options page of a new project.
    void toOptions()
    {
        open();
        click(frame<TKDProjectsWizardFrame>()->rbNew());
        next();
        next();
        ASSERT_EQ(page(), "Options");
    }
    TKDOptionsWizardFrame *options() const { return frame<TKDOptionsWizardFrame>(); }
    void saveAs(const QString &name)
    {
        saveAnswer = name;
        click(options()->bnSaveProject());
    }
    QStringList listed() const { return SavedProjects(*env->Ini()); }

    // A "desktop.xml" listing these children of "projects" (name, path).
    void writeList(const QList<std::pair<QString, QString>> &children)
    {
        QByteArray xml = "<projects>";
        for (const auto &[name, p] : children)
            xml += "<" + name.toUtf8() + " path=\"" + p.toUtf8() + "\"/>";
        writeFile(desktopXml(), xml + "</projects>");
    }
    QStringList captions() const { return frame<TKDProjectsWizardFrame>()->rgProjects()->Items(); }
};

} // namespace

TEST_F(ProjectFilesTest, SavedNamesAndTheListOfSavedProjects)
{
    toOptions();
    saveAs(path("Shows/holiday"));
    saveAs(path("Shows/notes.txt"));
    // The same project in other letter case is one entry, kept as first saved.
    saveAs(path("SHOWS/Holiday.kdp"));
    saveAs(path("Shows/third"));
    EXPECT_TRUE(QFile::exists(path("Shows/holiday.kdp")));
    EXPECT_TRUE(QFile::exists(path("Shows/notes.txt")));
    EXPECT_EQ(listed(),
              QStringList({path("Shows/holiday.kdp"), path("Shows/notes.txt"), path("Shows/third.kdp")}));
    EXPECT_EQ(settings().ProjectCount(), 3);
    // ProjectCount in a file is the number listed before that project was added.
    EXPECT_TRUE(readFile(path("Shows/third.kdp")).contains("ProjectCount=\"2\""));
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();

    // The projects page lists them in the same order.
    window->StepBox()->SetItemIndex(0);
    window->StepBoxChange();
    EXPECT_EQ(captions(), QStringList({"holiday", "notes", "third"}));
}

TEST_F(ProjectFilesTest, DisplayTimeTypedBeforeSaving)
{
    toOptions();
    const struct
    {
        const char *typed;
        int timeout;
    } rows[] = {{"7", 7}, {" 12 ", 12}, {"abc", 12}, {"0", 0}, {"-4", -4}, {"", -4}, {"3.5", -4}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        typeInto(options()->edTimeout(), row.typed);
        saveAs(path("t.kdp"));
        EXPECT_EQ(settings().Timeout(), row.timeout);
        EXPECT_TRUE(
            readFile(path("t.kdp")).contains(QStringLiteral("Timeout=\"%1\"").arg(row.timeout).toUtf8()));
    }
    // Cancelling the dialog changes nothing, not even the settings.
    typeInto(options()->edTimeout(), "9");
    saveAs(QString());
    EXPECT_EQ(settings().Timeout(), -4);
}

TEST_F(ProjectFilesTest, PathWithAmpersandReadsBack)
{
    toOptions();
    settings().SetPhotoSource(path("Tom & Jerry"));
    options()->LoadPage();
    saveAs(path("Tom & Jerry/show"));
    const QByteArray bytes = readFile(path("Tom & Jerry/show.kdp"));
    EXPECT_TRUE(bytes.contains("PhotoSource=\"" + path("Tom &amp; Jerry").toUtf8() + "\""));
    EXPECT_TRUE(readFile(desktopXml()).contains("Tom &amp; Jerry/show.kdp"));

    // Read back in a new run.
    delete window.data();
    env.reset();
    startEnv();
    EXPECT_EQ(listed(), QStringList{path("Tom & Jerry/show.kdp")});
    open();
    auto *projects = frame<TKDProjectsWizardFrame>();
    ASSERT_EQ(captions(), QStringList{"show"});
    settings().SetPhotoSource("elsewhere");
    click(projects->findChildren<QRadioButton *>().last());
    EXPECT_EQ(page(), "SelectPhoto");
    EXPECT_EQ(settings().PhotoSource(), path("Tom & Jerry"));
}

TEST_F(ProjectFilesTest, ProjectThatCannotBeWrittenIsNotListed)
{
    writeFile(path("plainfile"), "x");
    toOptions();
    saveAs(path("plainfile/holiday"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "The project could not be saved to " + path("plainfile/holiday.kdp"));
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(QFile::exists(desktopXml()));
    EXPECT_EQ(settings().ProjectCount(), 0);
}

TEST_F(ProjectFilesTest, SettingsFolderThatCannotBeWritten)
{
    writeFile(path("plainfile"), "x");
    startEnv(QString(), path("plainfile/user/"));
    toOptions();
    saveAs(path("holiday"));
    EXPECT_TRUE(QFile::exists(path("holiday.kdp")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(
        messages[0].startsWith("The project was saved, but the list of saved projects could not be written"));
    // The list of this run still offers it.
    window->StepBox()->SetItemIndex(0);
    window->StepBoxChange();
    EXPECT_EQ(captions(), QStringList{"holiday"});
}

TEST_F(ProjectFilesTest, ProjectsPageListsTheFirstSixChildren)
{
    QList<std::pair<QString, QString>> eight;
    for (int i = 1; i <= 8; ++i)
        eight.append({"project", QStringLiteral("/shows/p%1.kdp").arg(i)});
    writeList(eight);
    open();
    EXPECT_EQ(captions(), QStringList({"p1", "p2", "p3", "p4", "p5", "p6"}));
    delete window.data();

    // A child of another name counts towards the six.
    eight[2].first = "note";
    writeList(eight);
    env.reset();
    open();
    EXPECT_EQ(captions(), QStringList({"p1", "p2", "p4", "p5", "p6"}));
    delete window.data();

    // Same name in two folders; no list at all.
    writeList({{"project", "/A/show.kdp"}, {"project", "/B/show.kdp"}});
    env.reset();
    open();
    EXPECT_EQ(captions(), QStringList({"show", "show"}));
    delete window.data();
    QFile::remove(desktopXml());
    env.reset();
    open();
    EXPECT_TRUE(captions().isEmpty());
}

TEST_F(ProjectFilesTest, PickingAndOpeningProjects)
{
    writeFile(path("a.kdp"), R"(<Project timeout="5"/>)");
    writeFile(path("b.kdp"), R"(<other Timeout="8"/>)");
    writeList({{"project", path("a.kdp")}, {"project", path("gone.kdp")}, {"project", path("b.kdp")}});
    const QByteArray listBefore = readFile(desktopXml());
    open();
    auto *projects = frame<TKDProjectsWizardFrame>();
    const QString photoSource = settings().PhotoSource();

    // A listed file that is gone, or holds no project: nothing happens.
    for (int item : {1, 2}) {
        projects->rgProjects()->findChildren<QRadioButton *>().at(item)->click();
        EXPECT_EQ(page(), "SelectProject");
    }
    // Open... cancelled: both choices off, nothing changed.
    click(projects->rbNew());
    back();
    openAnswer = QString();
    click(projects->rbOpen());
    EXPECT_FALSE(projects->rbNew()->isChecked());
    EXPECT_FALSE(projects->rbOpen()->isChecked());
    EXPECT_EQ(projects->rgProjects()->ItemIndex(), -1);
    EXPECT_EQ(settings().Timeout(), 3);
    EXPECT_EQ(dialogTitles.last(), "Open SlideShow");

    // A hand-edited project with only Timeout: that value, the rest unchanged, and on to the next page.
    projects->rgProjects()->findChildren<QRadioButton *>().at(0)->click();
    EXPECT_EQ(page(), "SelectPhoto");
    EXPECT_EQ(settings().Timeout(), 5);
    EXPECT_EQ(settings().PhotoSource(), photoSource);
    EXPECT_FALSE(projects->rbNew()->isChecked());

    // Open... with a file; opening never adds to the list.
    back();
    writeFile(path("c.kdp"), R"(<project Timeout="11" PhotoSubFolders="false"/>)");
    openAnswer = path("c.kdp");
    click(projects->rbOpen());
    EXPECT_EQ(page(), "SelectPhoto");
    EXPECT_EQ(settings().Timeout(), 11);
    EXPECT_FALSE(settings().PhotoSubFolders());
    EXPECT_EQ(readFile(desktopXml()), listBefore);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}

TEST_F(ProjectFilesTest, ProjectWithABadValue)
{
    writeFile(path("bad.kdp"),
              R"(<project PhotoSource="/from/file" MusicSourceMode="msmTape" Timeout="9"/>)");
    open();
    openAnswer = path("bad.kdp");
    click(frame<TKDProjectsWizardFrame>()->rbOpen());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("msmTape")) << errors[0].toStdString();
    // The values before the bad one stay; the wizard does not move on.
    EXPECT_EQ(settings().PhotoSource(), "/from/file");
    EXPECT_EQ(settings().Timeout(), 3);
    EXPECT_EQ(page(), "SelectProject");
}

TEST_F(ProjectFilesTest, SettingsFileThatIsNotXml)
{
    writeFile(desktopXml(), "\x00garbage <projects <<< &&& \xff");
    open();
    EXPECT_TRUE(captions().isEmpty());
    click(frame<TKDProjectsWizardFrame>()->rbNew());
    next();
    next();
    saveAs(path("fresh"));
    EXPECT_EQ(listed(), QStringList{path("fresh.kdp")});
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}
