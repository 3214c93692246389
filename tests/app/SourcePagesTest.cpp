#include "AppFixture.h"

using namespace kalido;
using namespace kalido::test;

namespace {

class SourcePagesTest : public AppFixture
{
protected:
    // The wizard on the photo page of a new project.
    void toPhotoPage()
    {
        open();
        click(frame<TKDProjectsWizardFrame>()->rbNew());
        ASSERT_EQ(page(), "SelectPhoto");
    }
};

} // namespace

TEST_F(SourcePagesTest, DroppedPhotosAndBackToFolderMode)
{
    const QStringList photos = makePhotos(path("drop"), 12);
    toPhotoPage();
    settings().SetPhotoSource(path("before"));
    drop(frame<TKDSelectPhotoWizardFrame>(), photos);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
    ASSERT_EQ(page(), "SelectMusic");
    EXPECT_EQ(settings().PhotoFiles().Count(), 12);

    back();
    auto *p = frame<TKDSelectPhotoWizardFrame>();
    EXPECT_TRUE(p->DroppedMode());
    EXPECT_EQ(p->edFolder()->text(), "12 files dropped");
    EXPECT_EQ(p->edFolder()->palette().color(QPalette::Base), QColor(228, 241, 254));
    EXPECT_FALSE(p->cbSubFolders()->isEnabled());

    // Next in dropped mode keeps the folder settings and the list.
    next();
    EXPECT_EQ(settings().PhotoSource(), path("before"));
    EXPECT_EQ(settings().PhotoFiles().Count(), 12);

    back();
    typeInto(p->edFolder(), path("typed"));
    EXPECT_NE(p->edFolder()->palette().color(QPalette::Base), QColor(228, 241, 254));
    EXPECT_TRUE(p->cbSubFolders()->isEnabled());
    next();
    EXPECT_EQ(settings().PhotoFiles().Count(), 0);
    EXPECT_EQ(settings().PhotoSource(), path("typed"));
    back();
    EXPECT_FALSE(p->DroppedMode());
    EXPECT_EQ(p->edFolder()->text(), path("typed"));
}

TEST_F(SourcePagesTest, DropsThatFindNothingAndDropActions)
{
    writeFile(path("notes.txt"), "hello");
    makePhotos(path("folder/sub"), 2);
    toPhotoPage();
    auto *p = frame<TKDSelectPhotoWizardFrame>();
    drop(p, {path("notes.txt")});
    EXPECT_EQ(messages, QStringList{"Can not find suitable files"});
    EXPECT_EQ(page(), "SelectPhoto");
    EXPECT_FALSE(p->DroppedMode());

    // A linked folder is scanned to every depth; the page moves on.
    drop(p, {path("folder")}, Qt::LinkAction);
    EXPECT_EQ(page(), "SelectMusic");
    EXPECT_EQ(settings().PhotoFiles().Count(), 2);

    // Nothing new in a later drop: the message, and the earlier files stay.
    back();
    messages.clear();
    drop(p, {path("notes.txt")}, Qt::MoveAction);
    EXPECT_EQ(messages, QStringList{"Can not find suitable files"});
    EXPECT_EQ(page(), "SelectPhoto");
    EXPECT_TRUE(p->DroppedMode());
    EXPECT_EQ(settings().PhotoFiles().Count(), 2);
}

TEST_F(SourcePagesTest, DropOnTheLastPageShowsTheNewState)
{
    // A definition whose last step is the photo page: Next is off, the page reloads itself.
    writeFile(path("def/Kalido.xml"),
              R"(<wizard caption="x"><page class="SelectPhoto" caption="Photos"/></wizard>)");
    const QStringList photos = makePhotos(path("p"), 3);
    open(path("def/Kalido.xml"));
    auto *p = frame<TKDSelectPhotoWizardFrame>();
    ASSERT_TRUE(p);
    drop(p, photos);
    EXPECT_EQ(p->edFolder()->text(), "3 files dropped");
    drop(p, {photos[0]});
    EXPECT_EQ(p->edFolder()->text(), "4 files dropped");
}

TEST_F(SourcePagesTest, DroppedPathsKeepTheirOrderAndRawNames)
{
    QMimeData data;
    const QByteArray raw("/tmp/caf\xe9.jpg"); // Latin-1 byte, not valid UTF-8
    QUrl rawUrl = QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"));
    data.setUrls({QUrl::fromLocalFile("/b/2.jpg"), QUrl("https://example.org/x.jpg"), rawUrl,
                  QUrl::fromLocalFile("/a/1 & 2.jpg")});
    const QStringList paths = DroppedPaths(data);
    ASSERT_EQ(paths.size(), 4);
    EXPECT_EQ(paths[0], "/b/2.jpg");
    EXPECT_EQ(paths[1], "");
    EXPECT_EQ(FsEncode(paths[2]), raw);
    EXPECT_EQ(paths[3], "/a/1 & 2.jpg");
}

TEST_F(SourcePagesTest, BrowseButtonFillsTheFolder)
{
    toPhotoPage();
    auto *p = frame<TKDSelectPhotoWizardFrame>();
    const QString before = p->edFolder()->text();
    browseAnswer = QString();
    emit p->edFolder()->ButtonClick();
    EXPECT_EQ(p->edFolder()->text(), before);
    browseAnswer = path("chosen");
    emit p->edFolder()->ButtonClick();
    EXPECT_EQ(p->edFolder()->text(), path("chosen"));
    EXPECT_EQ(dialogTitles, QStringList({"Select folder", "Select folder"}));
}

TEST_F(SourcePagesTest, CdChoiceWithoutDrives)
{
    writeFile(path("cd.kdp"), R"(<project MusicSourceMode="msmCD" MusicSource="/dev/sr9/"/>)");
    open();
    frame<TKDProjectsWizardFrame>()->OpenProject(path("cd.kdp"));
    next();
    auto *music = frame<TKDSelectMusicWizardFrame>();
    ASSERT_TRUE(music);
    EXPECT_TRUE(music->rbFolder()->isChecked());
    EXPECT_FALSE(music->rbCD()->isEnabled());
    EXPECT_FALSE(music->cbDrive()->isEnabled());
    next();
    EXPECT_EQ(settings().MusicSourceMode(), TKDProperties::msmFolder);
}

TEST_F(SourcePagesTest, CdChoiceSelectionRules)
{
    drives = {{"/dev/sr0", "Audio CD (sr0)"}, {"/dev/sr1", "CD Drive (sr1)"}};
    writeFile(path("wmp.kdp"), R"(<project MusicSourceMode="msmWMP"/>)");
    open();
    frame<TKDProjectsWizardFrame>()->OpenProject(path("wmp.kdp"));
    next();
    auto *music = frame<TKDSelectMusicWizardFrame>();
    ASSERT_TRUE(music);
    // An unknown mode selects neither choice; Next then takes the first drive.
    EXPECT_FALSE(music->rbFolder()->isChecked());
    EXPECT_FALSE(music->rbCD()->isChecked());
    EXPECT_EQ(music->cbDrive()->itemText(0), "Audio CD (sr0)");
    next();
    EXPECT_EQ(settings().MusicSourceMode(), TKDProperties::msmCD);
    EXPECT_EQ(settings().MusicSource(), "/dev/sr0/");

    // Entering the drive list picks the CD, the folder edit or the box picks the folder.
    back();
    QTest::mouseClick(music->cbDrive(), Qt::LeftButton);
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    EXPECT_TRUE(music->rbCD()->isChecked());
    QTest::mouseClick(music->edFolder(), Qt::LeftButton);
    EXPECT_TRUE(music->rbFolder()->isChecked());
    music->rbCD()->setChecked(true);
    click(music->cbSubFolders());
    EXPECT_TRUE(music->rbFolder()->isChecked());
    music->rbCD()->setChecked(true);
    music->cbDrive()->setCurrentIndex(1);
    next();
    EXPECT_EQ(settings().MusicSource(), "/dev/sr1/");
}

TEST_F(SourcePagesTest, ShowFromADiscImage)
{
    const QString disc = makeDisc(2);
    drives = {{disc, "Audio CD (disc)"}};
    makePhotos(path("Photos"), 2);
    photoMs = 1500; // room for the disc's first track to start
    open();
    click(frame<TKDProjectsWizardFrame>()->rbNew());
    typeInto(frame<TKDSelectPhotoWizardFrame>()->edFolder(), path("Photos"));
    next();
    auto *music = frame<TKDSelectMusicWizardFrame>();
    click(music->rbCD());
    next();
    EXPECT_EQ(settings().MusicSourceMode(), TKDProperties::msmCD);
    EXPECT_EQ(settings().MusicSource(), disc + "/");
    start();
    EXPECT_EQ(photosShown, 2);
    EXPECT_EQ(terminated, 1);
    ASSERT_FALSE(tracksStarted.isEmpty());
    EXPECT_EQ(tracksStarted.first(), 0);
    EXPECT_TRUE(settings().MusicFiles().FullName(0).endsWith("disc.cue/Track01.cda"));
}
