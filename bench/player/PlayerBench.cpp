// Picture loading against plain libvips and Qt, and one 1920x1080 frame of every transition.
#include <vips/vips8>

#include "platform/image/ImageReader.h"
#include "player/Transitions.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace kalido;

namespace {

const QSize Box(1920, 1080);
QString jpegPath;

// A 24 MP photo-like JPEG: smooth gradients with fine noise, quality 90.
void makeJpeg(const QString &path)
{
    using vips::VImage;
    VImage xy = VImage::xyz(6000, 4000);
    VImage x = xy[0], y = xy[1];
    VImage r = (x * 0.04).sin() * 60 + 120;
    VImage g = (y * 0.03).cos() * 60 + 120;
    VImage b = ((x + y) * 0.01).sin() * 60 + 120;
    VImage noise = VImage::gaussnoise(6000, 4000, VImage::option()->set("sigma", 12));
    VImage img = VImage::bandjoin({r + noise, g + noise, b - noise}).cast(VIPS_FORMAT_UCHAR);
    img.write_to_file(path.toUtf8().constData(), VImage::option()->set("Q", 90));
}

void loadKalido(benchmark::State &state)
{
    for (auto _ : state) {
        TPictureLoad load = TImageReader::LoadFitted(jpegPath, Box);
        if (load.image.size() != QSize(1620, 1080))
            state.SkipWithError("wrong size");
        benchmark::DoNotOptimize(load.image.constBits());
    }
}

void loadVipsThumbnail(benchmark::State &state)
{
    const QByteArray name = jpegPath.toUtf8();
    for (auto _ : state) {
        vips::VImage thumb = vips::VImage::thumbnail(name.constData(), Box.width(),
                                                     vips::VImage::option()->set("height", Box.height()));
        size_t size = 0;
        void *pixels = thumb.write_to_memory(&size);
        benchmark::DoNotOptimize(pixels);
        g_free(pixels);
    }
}

void loadQtScaled(benchmark::State &state)
{
    for (auto _ : state) {
        QImageReader reader(jpegPath);
        reader.setAutoTransform(true);
        reader.setScaledSize(reader.size().scaled(Box, Qt::KeepAspectRatio));
        QImage img = reader.read();
        benchmark::DoNotOptimize(img.constBits());
    }
}

QImage pattern(bool second)
{
    QImage img(Box, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, Box.width(), Box.height());
    g.setColorAt(0, second ? QColor(20, 80, 200) : QColor(200, 60, 40));
    g.setColorAt(1, second ? QColor(240, 220, 120) : QColor(30, 30, 30));
    p.fillRect(img.rect(), g);
    return img;
}

void transitionFrame(benchmark::State &state, int effect)
{
    static const QImage from = pattern(false), to = pattern(true);
    auto transition = CreateTransition(effect);
    QImage out(Box, QImage::Format_RGB32);
    transition->Render(out, from, to, 0.5); // layouts are made on the first frame
    for (auto _ : state) {
        transition->Render(out, from, to, 0.5);
        benchmark::DoNotOptimize(out.constBits());
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    VIPS_INIT(argv[0]);
    QTemporaryDir dir;
    jpegPath = dir.filePath(QStringLiteral("24mp.jpg"));
    makeJpeg(jpegPath);

    benchmark::RegisterBenchmark("BM_LoadFit/Kalido", loadKalido)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LoadFit/VipsThumbnail", loadVipsThumbnail)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LoadFit/QtScaled", loadQtScaled)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (int n = 1; n <= TransitionCount; ++n) {
        benchmark::RegisterBenchmark(("BM_Transition/" + std::to_string(n)).c_str(),
                                     [n](benchmark::State &s) { transitionFrame(s, n); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
