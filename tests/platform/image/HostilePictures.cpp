// Generates 2,000 hostile picture files and loads each through the picture reader:
// JPEGs and TIFFs cut at many points, bit flips, zero bytes, headers claiming 65,535 x 65,535
// pixels, a progressive JPEG with hundreds of scans, a FIFO named x.jpg, random bytes.
// Prints one summary line. Exit status 1 when the peak memory reaches 512 MB, or, with
// --strict, when a load takes 2 s or more.
//   platform_image_hostile [--strict] [folder]
#include <vips/vips8>

#include "platform/image/ImageReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <random>

using kalido::TImageReader;

namespace {

QByteArray encode(int w, int h, const char *suffix, bool progressive = false)
{
    using vips::VImage;
    VImage xy = VImage::xyz(w, h);
    VImage img = VImage::bandjoin({(xy[0] * 3) % 256, (xy[1] * 5) % 256, ((xy[0] + xy[1]) * 2) % 256})
                     .cast(VIPS_FORMAT_UCHAR);
    img.set(VIPS_META_ORIENTATION, 6);
    void *buf = nullptr;
    size_t len = 0;
    img.write_to_buffer(suffix, &buf, &len, progressive ? VImage::option()->set("interlace", true) : nullptr);
    QByteArray bytes(static_cast<const char *>(buf), qsizetype(len));
    g_free(buf);
    return bytes;
}

// The width and height fields of the first frame header set to 65,535.
QByteArray claimHuge(QByteArray jpeg)
{
    for (qsizetype i = 0; i + 9 < jpeg.size(); ++i) {
        const uchar m = uchar(jpeg[i + 1]);
        if (uchar(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
            for (int k = 5; k <= 8; ++k)
                jpeg[i + k] = char(0xFF);
            break;
        }
    }
    return jpeg;
}

// The last scan of a progressive JPEG repeated many times before the end marker.
QByteArray manyScans(const QByteArray &jpeg, int copies)
{
    const qsizetype lastScan = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype end = jpeg.lastIndexOf(QByteArray("\xFF\xD9", 2));
    if (lastScan < 0 || end < lastScan)
        return jpeg;
    const QByteArray scan = jpeg.mid(lastScan, end - lastScan);
    QByteArray out = jpeg.left(end);
    for (int i = 0; i < copies; ++i)
        out += scan;
    out += jpeg.mid(end);
    return out;
}

// Loads every file; prints "pictures slowest-ms slow-count slowest-name".
int loadAll(const QString &folder, const QStringList &names)
{
    int pictures = 0, slow = 0;
    qint64 slowest = 0;
    QString slowestName = QStringLiteral("-");
    for (const QString &name : names) {
        QElapsedTimer clock;
        clock.start();
        const auto load = TImageReader::LoadFitted(folder + u'/' + name, QSize(1920, 1080));
        const qint64 ms = clock.elapsed();
        pictures += load.Detected() ? 1 : 0;
        if (ms >= 2000)
            ++slow;
        if (ms > slowest) {
            slowest = ms;
            slowestName = name;
        }
    }
    std::printf("%d %lld %d %s\n", pictures, static_cast<long long>(slowest), slow, qPrintable(slowestName));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--load")
        return loadAll(QString::fromLocal8Bit(argv[2]), app.arguments().mid(3));
    bool strict = false;
    QString folder;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--strict")
            strict = true;
        else
            folder = QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir temp;
    if (folder.isEmpty())
        folder = temp.path();
    VIPS_INIT(argv[0]);
    TImageReader::LoadFitted(QString(), QSize(1, 1)); // sets the reader up, quiet logging included

    std::mt19937 random(20261211);
    const QByteArray jpeg = encode(640, 480, ".jpg");
    const QByteArray tiff = encode(320, 240, ".tif");
    const QByteArray progressive = encode(1600, 1200, ".jpg", true);

    // Written as they are made, so the run holds no more than one file in memory.
    QStringList names;
    bool written = true;
    auto add = [&](const QString &name, const QByteArray &bytes) {
        QFile f(folder + u'/' + name);
        written &= f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        names << name;
    };
    for (int i = 0; i < 600; ++i) // cut at points spread over the whole file
        add(QStringLiteral("cut%1.jpg").arg(i), jpeg.left(qsizetype(jpeg.size()) * i / 600));
    for (int i = 0; i < 300; ++i)
        add(QStringLiteral("cut%1.tif").arg(i), tiff.left(qsizetype(tiff.size()) * i / 300));
    for (int i = 0; i < 900; ++i) {
        const bool isJpeg = i < 600;
        QByteArray bytes = isJpeg ? jpeg : tiff;
        const int flips = 1 + int(random() % 12);
        for (int f = 0; f < flips; ++f) {
            // Most flips land in the headers, where they do the most damage.
            const qsizetype span = random() % 3 ? std::min<qsizetype>(bytes.size(), 700) : bytes.size();
            const qsizetype at = qsizetype(random() % uint32_t(span));
            bytes[at] = char(bytes[at] ^ (1 << (random() % 8)));
        }
        add(QStringLiteral("flip%1.%2").arg(i).arg(isJpeg ? "jpg" : "tif"), bytes);
    }
    for (int i = 0; i < 190; ++i) {
        QByteArray bytes(qsizetype(random() % 4096), '\0');
        for (char &c : bytes)
            c = char(random());
        add(QStringLiteral("noise%1.jpg").arg(i), i % 2 ? jpeg.left(4) + bytes : bytes);
    }
    add(QStringLiteral("zero.jpg"), QByteArray());
    add(QStringLiteral("zero.tif"), QByteArray());
    add(QStringLiteral("huge.jpg"), claimHuge(jpeg));
    add(QStringLiteral("huge-cut.jpg"), claimHuge(jpeg).left(400));
    add(QStringLiteral("huge-progressive.jpg"), claimHuge(progressive));
    add(QStringLiteral("scans.jpg"), manyScans(progressive, 400));
    add(QStringLiteral("scans-cut.jpg"), manyScans(progressive, 400).left(progressive.size() * 3));
    add(QStringLiteral("progressive.jpg"), progressive);

    if (!written) {
        std::fprintf(stderr, "cannot write the files into %s\n", qPrintable(folder));
        return 2;
    }
    const QString fifo = QStringLiteral("x.jpg");
    ::mkfifo(QFile::encodeName(folder + u'/' + fifo).constData(), 0600);
    names << fifo;
    while (names.size() < 2000)
        names << QStringLiteral("missing%1.jpg").arg(names.size());

    // The loads run in a child process of their own, so the peak memory measured is the
    // reader's, not that of the generator above. Under AddressSanitizer the child keeps the
    // quarantine of freed memory small, which would otherwise count 256 MB on its own.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), asan + (asan.isEmpty() ? "" : ":") + "quarantine_size_mb=16");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--load"), folder} + names);
    child.waitForFinished(-1);
    const QByteArray report = child.readAllStandardOutput().trimmed();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::printf("hostile pictures: the loading process failed (%s)\n", report.constData());
        return 1;
    }
    const QList<QByteArray> fields = report.split(' ');
    const int slow = fields.value(2).toInt();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const long peakMb = usage.ru_maxrss / 1024;
    const bool memoryOk = peakMb < 512;
    std::printf("hostile pictures: %lld files loaded, %s gave a picture, no crash, slowest %s ms (%s), "
                "%d at 2 s or more, peak memory %ld MB%s\n",
                static_cast<long long>(names.size()), fields.value(0).constData(),
                fields.value(1).constData(), fields.value(3).constData(), slow, peakMb,
                memoryOk ? "" : " (over 512 MB)");
    if (!memoryOk || (strict && slow > 0))
        return 1;
    return 0;
}
