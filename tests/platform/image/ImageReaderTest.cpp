#include <vips/vips8>

#include "platform/image/ImageReader.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using kalido::TImageReader;

namespace {

// A grey picture with a red square in its stored top-left corner, saved with an orientation tag.
void writeMarked(const QString &path, int w, int h, int orientation)
{
    using vips::VImage;
    VImage image = VImage::black(w, h, VImage::option()->set("bands", 3)) + std::vector<double>{90, 90, 90};
    image = image.cast(VIPS_FORMAT_UCHAR);
    image.draw_rect({255, 0, 0}, 0, 0, w / 10, h / 10, VImage::option()->set("fill", true));
    image.set(VIPS_META_ORIENTATION, orientation);
    image.write_to_file(path.toUtf8().constData(), VImage::option()->set("Q", 90));
}

bool isRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isGrey(QRgb c)
{
    return std::abs(qRed(c) - 90) < 20 && std::abs(qBlue(c) - 90) < 20;
}

class ImageReaderTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
};

} // namespace

// Orientation 6 turns the picture a quarter clockwise: the stored top-left corner ends up top-right.
TEST_F(ImageReaderTest, TurnsJpegAndTiffUprightAndFits)
{
    struct Case
    {
        const char *name;
        int w, h, orientation;
        QSize expected;
    } cases[] = {
        {"big.jpg", 6000, 4000, 6, {720, 1080}},
        {"big.tif", 3000, 2000, 6, {720, 1080}},
        {"plain.jpeg", 3000, 2000, 1, {1620, 1080}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeMarked(path(c.name), c.w, c.h, c.orientation);
        auto load = TImageReader::LoadFitted(path(c.name), {1920, 1080});
        ASSERT_TRUE(load.Detected()) << load.error.toStdString();
        EXPECT_EQ(load.image.size(), c.expected);
        EXPECT_EQ(load.image.format(), QImage::Format_RGB32);
        const QImage &img = load.image;
        QPoint marked = c.orientation == 6 ? QPoint(img.width() - 5, 5) : QPoint(5, 5);
        QPoint opposite = c.orientation == 6 ? QPoint(5, 5) : QPoint(img.width() - 5, 5);
        EXPECT_TRUE(isRed(img.pixel(marked)));
        EXPECT_TRUE(isGrey(img.pixel(opposite)));
        EXPECT_TRUE(isGrey(img.pixel(img.width() / 2, img.height() - 5)));
    }
}

TEST_F(ImageReaderTest, EnlargesSmallPicturesAndSniffsContent)
{
    // A PNG named .jpg is still a picture: the content decides, not the name.
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::blue);
    ASSERT_TRUE(small.save(path("small.jpg"), "PNG"));
    auto load = TImageReader::LoadFitted(path("small.jpg"), {800, 600});
    ASSERT_TRUE(load.Detected());
    EXPECT_EQ(load.image.size(), QSize(800, 600));
    EXPECT_TRUE(load.format.contains(QLatin1String("Png")));
    EXPECT_EQ(qBlue(load.image.pixel(400, 300)), 255);
}

TEST_F(ImageReaderTest, NotPictures)
{
    kalido::test::writeFile(path("text.jpg"), "this is not a picture\n");
    kalido::test::writeFile(path("empty.jpg"), "");
    ASSERT_TRUE(QDir().mkpath(path("folder.jpg")));
    ASSERT_EQ(::mkfifo(path("fifo.jpg").toUtf8().constData(), 0600), 0);
    for (const char *name : {"text.jpg", "empty.jpg", "folder.jpg", "fifo.jpg", "missing.jpg"}) {
        SCOPED_TRACE(name);
        auto load = TImageReader::LoadFitted(path(name), {1920, 1080});
        EXPECT_FALSE(load.Detected());
        EXPECT_TRUE(load.image.isNull());
    }
}

TEST_F(ImageReaderTest, CutPicturesDoNotCrash)
{
    writeMarked(path("whole.jpg"), 1200, 800, 1);
    const QByteArray bytes = kalido::test::readFile(path("whole.jpg"));
    ASSERT_GT(bytes.size(), 1000);
    // Cut in the header, in the middle of the scan data, and just before the end marker.
    for (qsizetype cut : {qsizetype(2), qsizetype(200), bytes.size() / 2, bytes.size() - 2}) {
        SCOPED_TRACE(cut);
        kalido::test::writeFile(path("cut.jpg"), bytes.left(cut));
        auto load = TImageReader::LoadFitted(path("cut.jpg"), {640, 480});
        if (load.Detected()) {
            EXPECT_EQ(load.image.size(), QSize(640, 427));
        }
    }
    // Cut after the middle: what was read is shown.
    kalido::test::writeFile(path("cut.jpg"), bytes.left(bytes.size() * 3 / 4));
    auto load = TImageReader::LoadFitted(path("cut.jpg"), {640, 480});
    ASSERT_TRUE(load.Detected());
    EXPECT_TRUE(isRed(load.image.pixel(5, 5)));
}

TEST_F(ImageReaderTest, RefusesHugeDeclaredSize)
{
    // A valid JPEG header that claims 65,535 x 65,535 pixels, followed by almost no data.
    writeMarked(path("small.jpg"), 64, 64, 1);
    QByteArray bytes = kalido::test::readFile(path("small.jpg"));
    int sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    bytes[sof + 5] = char(0xFF);
    bytes[sof + 6] = char(0xFF);
    bytes[sof + 7] = char(0xFF);
    bytes[sof + 8] = char(0xFF);
    kalido::test::writeFile(path("huge.jpg"), bytes);
    auto load = TImageReader::LoadFitted(path("huge.jpg"), {1920, 1080});
    EXPECT_FALSE(load.Detected());
}
