#include "player/PreviewForm.h"

#include "files/FileList.h"
#include "player/PhotoView.h"
#include "project/KDProperties.h"

#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>

using namespace kalido;

namespace {

// A picture surface that knows by name which files are pictures and answers loads at once (or
// when the test says so, to act while a load is under way).
class FakeView : public TPhotoView
{
public:
    QSet<QString> pictures; // file names that load
    QStringList shown;      // full paths that were loaded, in order
    QList<int> effects;
    QList<QStringList> requests;
    int captures = 0;
    bool holdLoads = false;

    void CaptureStartFrame() override { ++captures; }
    void LoadFirstPicture(const QStringList &paths) override
    {
        requests << paths;
        if (!holdLoads)
            answer();
    }
    void RunTransition(int effect, int) override { effects << effect; }

    void answer()
    {
        const QStringList paths = requests.last();
        for (int i = 0; i < paths.size(); ++i) {
            if (pictures.contains(QFileInfo(paths[i]).fileName())) {
                shown << paths[i];
                emit LoadFinished(i);
                return;
            }
        }
        emit LoadFinished(-1);
    }
};

struct FakeMusic : TPreviewMusic
{
    QStringList *log;
    explicit FakeMusic(QStringList *l) : log(l) {}
    void Start(TFileList &tracks) override { *log << QStringLiteral("start %1").arg(tracks.Count()); }
    void WindowClosed(bool shown) override { *log << QStringLiteral("closed %1").arg(shown); }
};

class PreviewFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.SetPhotoSource(dir.filePath(QStringLiteral("nothing-here")));
        settings.SetMusicSource(QString());
        TPreviewForm::SetMusicFactory(
            [this](TPreviewForm &) { return std::make_unique<FakeMusic>(&musicLog); });
    }
    void TearDown() override { TPreviewForm::SetMusicFactory({}); }

    // A form on a fake view; effects are numbered 1, 2, 3 … so runs are predictable.
    std::unique_ptr<TPreviewForm> makeForm(std::initializer_list<const char *> pictures)
    {
        auto fake = std::make_unique<FakeView>();
        for (const char *p : pictures)
            fake->pictures.insert(QString::fromUtf8(p));
        view = fake.get();
        auto form = std::make_unique<TPreviewForm>(std::move(fake));
        form->SetEffectChooser([n = 0]() mutable { return ++n; });
        return form;
    }

    void addPhotos(std::initializer_list<const char *> names)
    {
        for (const char *n : names)
            settings.PhotoFiles().Add(dir.filePath(QString::fromUtf8(n)));
    }

    QStringList shownNames() const
    {
        QStringList names;
        for (const QString &p : view->shown)
            names << QFileInfo(p).fileName();
        return names;
    }

    QTemporaryDir dir;
    TKDProperties settings;
    FakeView *view = nullptr;
    QStringList musicLog;
};

} // namespace

// The timer is fired by hand: each tick shows the next readable photo; an unreadable entry
// and a folder entry are passed over within the same tick; the tick after the last closes.
TEST_F(PreviewFormTest, ShowsReadablePhotosInOrderAndClosesAfterTheLast)
{
    addPhotos({"1.jpg", "2.jpg", "sub/", "3.jpg", "4.jpg"});
    auto form = makeForm({"1.jpg", "2.jpg", "4.jpg"});
    settings.SetTimeout(3);
    QList<QStringList> afterTick;
    bool timerOnWhileShowing = true;
    QTimer::singleShot(0, form.get(), [&] {
        EXPECT_TRUE(form->isVisible());
        for (int tick = 0; tick < 3; ++tick) {
            afterTick << shownNames();
            timerOnWhileShowing &= form->ImageTimer()->isActive();
            form->tmrImageTimer();
        }
    });
    form->Run(&settings);

    EXPECT_EQ(afterTick, (QList<QStringList>{{"1.jpg"}, {"1.jpg", "2.jpg"}, {"1.jpg", "2.jpg", "4.jpg"}}));
    EXPECT_TRUE(timerOnWhileShowing);
    EXPECT_EQ(form->ImageTimer()->interval(), 3000);
    EXPECT_FALSE(form->ImageTimer()->isActive());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->Shown());
    EXPECT_EQ(view->effects, (QList<int>{1, 2, 3}));
    EXPECT_EQ(view->captures, 4); // one per step, the closing step included
    // The folder entry never reaches the view.
    for (const QStringList &request : view->requests)
        for (const QString &path : request)
            EXPECT_FALSE(path.endsWith(u'/'));
    EXPECT_EQ(musicLog, (QStringList{"start 0", "closed 1"}));
}

TEST_F(PreviewFormTest, EscapeAndTheMenuClose)
{
    struct Case
    {
        const char *name;
        std::function<void(TPreviewForm &)> close;
    } cases[] = {
        {"Escape", [](TPreviewForm &f) { QTest::keyClick(&f, Qt::Key_Escape); }},
        {"Close item", [](TPreviewForm &f) { f.CloseAction()->trigger(); }},
        {"right-click Close", [](TPreviewForm &f) { f.PopupMenu()->actions().constFirst()->trigger(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        settings.PhotoFiles().Clear();
        addPhotos({"1.jpg", "2.jpg"});
        auto form = makeForm({"1.jpg", "2.jpg"});
        QTimer::singleShot(0, form.get(), [&] { c.close(*form); });
        form->Run(&settings); // returns only once the window closed
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(form->Shown());
        EXPECT_EQ(shownNames(), QStringList{"1.jpg"});
        EXPECT_FALSE(form->ImageTimer()->isActive());
    }
    auto form = makeForm({});
    for (QAction *item : {form->CloseAction(), form->PopupMenu()->actions().constFirst()}) {
        EXPECT_EQ(item->text(), "Close");
        EXPECT_EQ(item->shortcut(), QKeySequence(Qt::Key_Escape));
    }
}

// A load still under way when the user presses Escape: the window closes at once and the
// late answer changes nothing.
TEST_F(PreviewFormTest, CloseWhileThePictureLoads)
{
    addPhotos({"1.jpg", "2.jpg"});
    auto form = makeForm({"1.jpg", "2.jpg"});
    QTimer::singleShot(0, form.get(), [&] {
        view->holdLoads = true;
        form->tmrImageTimer();
        QTest::keyClick(form.get(), Qt::Key_Escape);
    });
    form->Run(&settings);
    view->answer();
    EXPECT_EQ(view->effects.size(), 1);
    EXPECT_FALSE(form->ImageTimer()->isActive());
    EXPECT_FALSE(form->isVisible());
}

// A list filled by a drop is played as it is: no scan, even when PhotoSource names a folder
// full of other photos.
TEST_F(PreviewFormTest, DroppedListIsPlayedUnchanged)
{
    kalido::test::writeFile(dir.filePath("source/other.jpg"), "x");
    settings.SetPhotoSource(dir.filePath("source"));
    kalido::test::writeFile(dir.filePath("dropped/a.jpg"), "x");
    kalido::test::writeFile(dir.filePath("dropped/b.jpg"), "x");
    settings.AddDroppedItems(settings.PhotoFiles(), settings.PhotoExtensions(), {},
                             {dir.filePath("dropped/a.jpg"), dir.filePath("dropped/b.jpg")});
    ASSERT_EQ(settings.PhotoFiles().Count(), 2);
    auto form = makeForm({"a.jpg", "b.jpg", "other.jpg"});
    QTimer::singleShot(0, form.get(), [&] {
        form->tmrImageTimer();
        form->tmrImageTimer();
    });
    form->Run(&settings);
    EXPECT_EQ(shownNames(), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(settings.PhotoFiles().Count(), 2);
    EXPECT_EQ(settings.PhotoFiles().FullName(0), dir.filePath("dropped/a.jpg"));
}

// An empty list is filled from PhotoSource, into subfolders only when asked; the music folder
// is scanned only when one is named.
TEST_F(PreviewFormTest, EmptyListsAreFilledFromTheSourceFolders)
{
    kalido::test::writeFile(dir.filePath("photos/a.jpg"), "x");
    kalido::test::writeFile(dir.filePath("photos/notes.txt"), "x");
    kalido::test::writeFile(dir.filePath("photos/deeper/b.TIF"), "x");
    kalido::test::writeFile(dir.filePath("music/t.mp3"), "x");
    for (bool sub : {false, true}) {
        SCOPED_TRACE(sub);
        settings.PhotoFiles().Clear();
        settings.MusicFiles().Clear();
        settings.SetPhotoSource(dir.filePath("photos"));
        settings.SetPhotoSubFolders(sub);
        settings.SetMusicSource(sub ? dir.filePath("music") : QString());
        auto form = makeForm({"a.jpg", "b.TIF"});
        QTimer::singleShot(0, form.get(), [&] { form->miViewCloseClick(); });
        form->Run(&settings);
        EXPECT_EQ(settings.PhotoFiles().Count(), sub ? 2 : 1);
        EXPECT_EQ(settings.MusicFiles().Count(), sub ? 1 : 0);
    }
}

// No window opens and Shown stays false when there is nothing to show: an empty folder, no
// folder name at all, or a list in which nothing loads. The music is told to stop.
TEST_F(PreviewFormTest, NothingToShowOpensNoWindow)
{
    ASSERT_TRUE(QDir().mkpath(dir.filePath("empty")));
    struct Case
    {
        const char *name;
        QString source;
        QStringList entries;
    } cases[] = {
        {"empty folder", dir.filePath("empty"), {}},
        {"no folder name", QString(), {}},
        {"missing folder", dir.filePath("gone"), {}},
        {"nothing readable", dir.filePath("empty"), {dir.filePath("x.jpg"), dir.filePath("sub/")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        musicLog.clear();
        settings.PhotoFiles().Clear();
        for (const QString &e : c.entries)
            settings.PhotoFiles().Add(e);
        settings.SetPhotoSource(c.source);
        auto form = makeForm({});
        bool opened = false;
        QTimer::singleShot(0, form.get(), [&] {
            opened = form->isVisible();
            form->miViewCloseClick();
        });
        form->Run(&settings);
        QCoreApplication::processEvents();
        EXPECT_FALSE(opened);
        EXPECT_FALSE(form->Shown());
        EXPECT_EQ(musicLog, c.entries.isEmpty() ? QStringList{} : QStringList{"closed 0"});
    }
}

TEST_F(PreviewFormTest, PointerHidesAfterThreeSecondsAndComesBackOnMovement)
{
    auto form = makeForm({});
    EXPECT_EQ(form->CursorTimer()->interval(), 3000);
    EXPECT_TRUE(form->CursorTimer()->isActive());
    EXPECT_EQ(view->Cursor(), 0);
    form->tmrCursorTimer();
    EXPECT_EQ(view->Cursor(), -1);
    EXPECT_EQ(view->cursor().shape(), Qt::BlankCursor);
    EXPECT_FALSE(form->CursorTimer()->isActive());
    QTest::mouseMove(view, QPoint(5, 5));
    emit view->MouseMoved();
    EXPECT_EQ(view->Cursor(), 0);
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(form->CursorTimer()->isActive());
}

TEST_F(PreviewFormTest, DisplayTimeNeverZero)
{
    EXPECT_EQ(TPreviewForm::DisplayTimeMs(3), 3000);
    EXPECT_EQ(TPreviewForm::DisplayTimeMs(1), 1000);
    EXPECT_EQ(TPreviewForm::DisplayTimeMs(0), 1000);
    EXPECT_EQ(TPreviewForm::DisplayTimeMs(-7), 1000);
    EXPECT_EQ(TPreviewForm::DisplayTimeMs(INT_MAX), INT_MAX);
}

// A second show in the same process, on a new window, plays as the first did.
TEST_F(PreviewFormTest, SecondShowWorks)
{
    addPhotos({"1.jpg"});
    for (int run = 0; run < 2; ++run) {
        auto form = makeForm({"1.jpg"});
        QTimer::singleShot(0, form.get(), [&] { form->tmrImageTimer(); });
        form->Run(&settings);
        EXPECT_TRUE(form->Shown());
        EXPECT_EQ(shownNames(), QStringList{"1.jpg"});
    }
}
