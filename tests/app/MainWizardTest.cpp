#include "AppFixture.h"

#include "platform/devices/VolumeWatcher.h"
#include "services/MessageBus.h"

#include <QMenu>
#include <QToolButton>

using namespace kalido;
using namespace kalido::test;

namespace {

class MainWizardTest : public AppFixture
{
};

QByteArray crlf(const QByteArray &lines)
{
    QByteArray out = lines;
    out.replace("\n", "\r\n");
    return out;
}

} // namespace

TEST_F(MainWizardTest, RoadOfOneSlideshow)
{
    makePhotos(path("Photos"), 3);
    makeTracks(path("Music"), 2);
    open();
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Kalido");
    EXPECT_EQ(steps(), QStringList({"Project", "Sources", "Sources\\Photos", "Sources\\Music", "Options"}));
    ASSERT_EQ(page(), "SelectProject");

    click(frame<TKDProjectsWizardFrame>()->rbNew());
    ASSERT_EQ(page(), "SelectPhoto");
    typeInto(frame<TKDSelectPhotoWizardFrame>()->edFolder(), path("Photos"));
    next();
    ASSERT_EQ(page(), "SelectMusic");
    typeInto(frame<TKDSelectMusicWizardFrame>()->edFolder(), path("Music"));
    next();
    ASSERT_EQ(page(), "Options");
    typeInto(frame<TKDOptionsWizardFrame>()->edTimeout(), "7");
    saveAnswer = path("Shows/holiday");
    click(frame<TKDOptionsWizardFrame>()->bnSaveProject());
    EXPECT_EQ(dialogTitles, QStringList{"Save SlideShow as..."});
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();

    const QByteArray project =
        crlf("<?xml version=\"1.0\"?>\n<!-- created by Tessel XML package -->\n"
             "  <project KeepFolderStructure=\"True\" CheckFileMode=\"cfmAsk\" "
             "DeleteOriginals=\"False\" JournalFileName=\"\" ProjectCount=\"0\" "
             "PhotoSource=\"" +
             path("Photos").toUtf8() + "\" PhotoSubFolders=\"True\" MusicSource=\"" + path("Music").toUtf8() +
             "\" MusicSubFolders=\"False\" MusicSourceMode=\"msmFolder\" "
             "Timeout=\"7\" />\n");
    EXPECT_EQ(readFile(path("Shows/holiday.kdp")), project);
    EXPECT_EQ(readFile(desktopXml()),
              crlf("<?xml version=\"1.0\"?>\n<!-- created by Tessel XML package -->\n  <projects>\n"
                   "    <project path=\"" +
                   path("Shows/holiday.kdp").toUtf8() + "\" />\n  </projects>\n"));

    start();
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(photosShown, 3);
    EXPECT_TRUE(window.isNull() || window->LastShowShown());
    EXPECT_EQ(displayTimes.value(0), 7000);
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(MainWizardTest, StartWithoutPhotosReturnsToThePhotoPage)
{
    QDir().mkpath(path("Empty"));
    writeFile(path("Broken/bad.jpg"), "not a picture");
    for (const QString folder : {"Empty", "Broken"}) {
        SCOPED_TRACE(folder.toStdString());
        open();
        click(frame<TKDProjectsWizardFrame>()->rbNew());
        typeInto(frame<TKDSelectPhotoWizardFrame>()->edFolder(), path(folder));
        next();
        next();
        ASSERT_EQ(page(), "Options");
        start();
        ASSERT_FALSE(window.isNull());
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->LastShowShown());
        EXPECT_EQ(terminated, 0);
        EXPECT_EQ(page(), "SelectPhoto");
        // The folder can be fixed: the page is in folder mode, not showing the scan's findings.
        auto *photos = frame<TKDSelectPhotoWizardFrame>();
        EXPECT_FALSE(photos->DroppedMode());
        EXPECT_EQ(photos->edFolder()->text(), path(folder));
        EXPECT_EQ(settings().PhotoFiles().Count(), 0);
        // Back walks the steps before the photo page.
        back();
        EXPECT_EQ(page(), "SelectProject");
        delete window.data();
    }
}

TEST_F(MainWizardTest, CancelEscapeAndCloseEndWithoutStoring)
{
    // Each way of leaving, from the photo page with a typed folder.
    const QList<std::function<void(TMainWizardForm &)>> ways = {
        [this](TMainWizardForm &w) { click(w.bnCancel()); },
        [](TMainWizardForm &w) { QTest::keyClick(&w, Qt::Key_Escape); },
        [](TMainWizardForm &w) { w.close(); },
    };
    for (int i = 0; i < ways.size(); ++i) {
        SCOPED_TRACE(i);
        terminated = 0;
        open();
        click(frame<TKDProjectsWizardFrame>()->rbNew());
        const QString before = settings().PhotoSource();
        typeInto(frame<TKDSelectPhotoWizardFrame>()->edFolder(), path("elsewhere"));
        ways[i](*window);
        EXPECT_EQ(terminated, 1);
        ASSERT_FALSE(window.isNull());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(settings().PhotoSource(), before);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
    }
}

TEST_F(MainWizardTest, FixedSizeWithMinimiseButNoMaximise)
{
    open();
    EXPECT_EQ(window->size(), QSize(TMainWizardForm::ClientWidth, TMainWizardForm::ClientHeight));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->bnLanguage()->toolTip(), "Language");
}

TEST_F(MainWizardTest, VolumeNewsReachTheBusAndTheMusicPage)
{
    open();
    QStringList topics;
    struct Recorder
    {
        QStringList *topics;
        void Note(IMessageBus &, const QString &topic, const QVariant &data)
        {
            *topics << topic + (data.isNull() ? "" : " with data");
        }
    } recorder{&topics};
    MessageBus()->Subscribe(QStringList{"device.arrival", "device.remove"},
                            TMessageEvent(&recorder, &Recorder::Note));
    emit window->VolumeWatcher()->VolumeArrived();
    emit window->VolumeWatcher()->VolumeRemoved();
    EXPECT_EQ(topics, QStringList({"device.arrival", "device.remove"}));
    MessageBus()->UnsubscribeAll(&recorder);

    // A disc arriving while the music page has its CD choice selected: back to the folder choice.
    drives = {{path("one.cue"), "Audio CD (one)"}};
    click(frame<TKDProjectsWizardFrame>()->rbNew());
    next();
    auto *music = frame<TKDSelectMusicWizardFrame>();
    ASSERT_TRUE(music);
    ASSERT_TRUE(music->rbCD()->isEnabled());
    click(music->rbCD());
    drives << cd::CdDrive{path("two.cue"), "Audio CD (two)"};
    emit window->VolumeWatcher()->VolumeArrived();
    EXPECT_TRUE(music->rbFolder()->isChecked());
    EXPECT_EQ(music->cbDrive()->count(), 2);
    EXPECT_EQ(music->cbDrive()->currentIndex(), 0);
    drives.clear();
    emit window->VolumeWatcher()->VolumeRemoved();
    EXPECT_FALSE(music->rbCD()->isEnabled());
    EXPECT_FALSE(music->cbDrive()->isEnabled());

    // The page's subscription ends with the page.
    delete window.data();
    MessageBus()->Send(QStringLiteral("device.arrival"), QVariant::fromValue(nullptr));
}

TEST_F(MainWizardTest, SwitchingTheLanguageRetranslatesEverything)
{
    ASSERT_TRUE(LanguageList().Codes().contains("de")) << LanguageList().Codes().join(",").toStdString();
    ASSERT_TRUE(LanguageList().Codes().contains("fr"));
    UseLanguage("en");
    open();
    click(frame<TKDProjectsWizardFrame>()->rbNew());
    next();
    next();
    ASSERT_EQ(page(), "Options");
    auto ticked = [this] {
        QStringList names;
        for (QAction *a : window->LanguageMenu()->actions())
            if (a->isChecked())
                names << LanguageList().Code(a->data().toInt());
        return names;
    };
    EXPECT_EQ(ticked(), QStringList{"en"});

    const int de = LanguageList().Codes().indexOf("de");
    window->LanguageMenu()->actions().at(de)->trigger();
    EXPECT_EQ(GetCurrentLanguage(), "de");
    EXPECT_EQ(ticked(), QStringList{"de"});
    EXPECT_EQ(window->bnNext()->text(), "&Weiter >>");
    EXPECT_EQ(frame<TKDOptionsWizardFrame>()->bnSaveProject()->text(), "Projekt speichern unter...");
    EXPECT_EQ(steps(), QStringList({"Projekt", "Quellen", "Quellen\\Fotos", "Quellen\\Musik", "Optionen"}));
    // A page made earlier is translated as well; the caption from the definition is not.
    window->StepBox()->SetItemIndex(2);
    window->StepBoxChange();
    EXPECT_EQ(frame<TKDSelectPhotoWizardFrame>()->cbSubFolders()->text(), "Unterordner einbeziehen");
    EXPECT_EQ(window->windowTitle(), "Kalido");

    // Choosing the language in use again changes nothing; French then English work the same way.
    window->LanguageMenu()->actions().at(LanguageList().Codes().indexOf("de"))->trigger();
    EXPECT_EQ(ticked(), QStringList{"de"});
    window->LanguageMenu()->actions().at(LanguageList().Codes().indexOf("fr"))->trigger();
    EXPECT_EQ(window->bnNext()->text(), "&Suivant >");
    EXPECT_EQ(frame<TKDSelectPhotoWizardFrame>()->lblFolder()->text(), "Choisir le dossier :");
    window->SwitchLanguage("en");
    EXPECT_EQ(window->bnNext()->text(), "&Next >>");
    EXPECT_EQ(ticked(), QStringList{"en"});
}

TEST_F(MainWizardTest, DefinitionThatIsNotXml)
{
    for (const QByteArray &text : {QByteArray("this is \x01 not <xml"), QByteArray()}) {
        writeFile(path("bad/Kalido.xml"), text);
        env.reset();
        errors.clear();
        open(path("bad/Kalido.xml"));
        EXPECT_EQ(errors, QStringList{"Pages not defined"});
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->CurrentFrame(), nullptr);
        click(window->bnCancel());
        EXPECT_EQ(terminated, 1);
        delete window.data();
        terminated = 0;
    }
}

TEST_F(MainWizardTest, MissingSettingsClassIsReportedAndTheWindowStillOpens)
{
    DoneCustomProperties();
    open();
    RegisterKDProperties();
    EXPECT_EQ(errors, QStringList{"Properties Class does not assigned"});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->SettingsObject(), nullptr);
    EXPECT_EQ(window->CurrentFrame(), nullptr);
}

TEST_F(MainWizardTest, ErrorsOutOfEventHandlersAreShownAndTheProgramGoesOn)
{
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw Exception("Out of paper"); }));
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw std::runtime_error("plain"); }));
    EXPECT_TRUE(DeliverGuarded([] { return true; }));
    EXPECT_EQ(errors, QStringList({"Out of paper", "plain"}));
}
