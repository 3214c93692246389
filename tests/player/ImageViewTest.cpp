#include "player/ImageView.h"

#include "files/FileList.h"
#include "player/PreviewForm.h"
#include "project/KDProperties.h"

#include "TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

class ImageViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writePicture("red.jpg", QSize(200, 100), Qt::red);
        writePicture("blue.jpg", QSize(100, 200), Qt::blue);
        kalido::test::writeFile(path("text.jpg"), "not a picture");
    }
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    void writePicture(const char *name, QSize size, Qt::GlobalColor color)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(color);
        ASSERT_TRUE(img.save(path(name), "JPEG", 95));
    }
    QTemporaryDir dir;
};

bool near(QRgb c, QColor want)
{
    return std::abs(qRed(c) - want.red()) < 40 && std::abs(qBlue(c) - want.blue()) < 40;
}

} // namespace

// Real pictures through the real surface: the first readable entry is taken, fitted into the
// view on black, and a transition ends on it.
TEST_F(ImageViewTest, LoadsFitsAndRunsTransitions)
{
    TImageView view;
    view.resize(320, 240);
    QSignalSpy loaded(&view, &TPhotoView::LoadFinished);

    view.CaptureStartFrame();
    view.LoadFirstPicture({path("text.jpg"), path("missing.jpg"), path("red.jpg"), path("blue.jpg")});
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(loaded.takeFirst().at(0).toInt(), 2);
    view.RunTransition(1, 0);
    QImage frame = view.CurrentFrame();
    ASSERT_EQ(frame.size(), QSize(320, 240));
    EXPECT_TRUE(near(frame.pixel(160, 120), Qt::red)); // 200x100 enlarged to 320x160
    EXPECT_EQ(frame.pixel(160, 10), qRgb(0, 0, 0));    // black above and below

    view.CaptureStartFrame();
    view.LoadFirstPicture({path("blue.jpg")});
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(loaded.takeFirst().at(0).toInt(), 0);
    view.RunTransition(5, 200);
    EXPECT_TRUE(view.TransitionRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!view.TransitionRunning(), 10000);
    frame = view.CurrentFrame();
    EXPECT_TRUE(near(frame.pixel(160, 120), Qt::blue)); // 100x200 fitted to 120x240
    EXPECT_EQ(frame.pixel(10, 120), qRgb(0, 0, 0));

    view.LoadFirstPicture({path("text.jpg")});
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(loaded.takeFirst().at(0).toInt(), -1);
}

// A whole show on the real surface: two photos and a bad file, then the window closes by itself.
TEST_F(ImageViewTest, ShowOfRealPictures)
{
    TKDProperties settings;
    settings.SetMusicSource(QString());
    for (const char *name : {"red.jpg", "text.jpg", "blue.jpg"})
        settings.PhotoFiles().Add(path(name));
    TPreviewForm form;
    auto *view = qobject_cast<TImageView *>(form.View());
    ASSERT_NE(view, nullptr);
    QList<int> answers;
    QObject::connect(view, &TPhotoView::LoadFinished, [&](int index) { answers << index; });
    QTimer::singleShot(0, &form, [&] {
        QSignalSpy loaded(view, &TPhotoView::LoadFinished);
        form.tmrImageTimer();
        loaded.wait(10000);
        form.tmrImageTimer(); // nothing left: closes
    });
    form.Run(&settings);
    EXPECT_TRUE(form.Shown());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(answers, (QList<int>{0, 1})); // red first; then text.jpg passed over for blue
    EXPECT_TRUE(
        near(view->CurrentFrame().pixel(view->CurrentFrame().width() / 2, view->CurrentFrame().height() / 2),
             Qt::blue));
}
