// libvips first: GLib headers use "signals" as a name, which Qt defines as a macro.
#include <vips/vips8>

#include "platform/image/ImageReader.h"

#include "util/FsName.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace kalido {

namespace {

void initVips()
{
    static std::once_flag once;
    std::call_once(once, [] {
        vips_init("kalido");
        // Damaged photos are skipped without a word; libvips would otherwise log a warning
        // for every one of them.
        g_log_set_handler(
            "VIPS", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO),
            [](const gchar *, GLogLevelFlags, const gchar *, gpointer) {}, nullptr);
        // The operation cache would keep decoded pictures alive and can hand out stale pixels
        // after a file changes on disk; every picture is read once anyway.
        vips_cache_set_max(0);
        vips_cache_set_max_mem(0);
    });
}

QString takeVipsError()
{
    QString message = QString::fromUtf8(vips_error_buffer()).trimmed();
    vips_error_clear();
    return message;
}

// Orientation tags 5 to 8 swap width and height.
bool swapsAxes(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

int orientationOf(const vips::VImage &image)
{
    if (image.get_typeof(VIPS_META_ORIENTATION) == 0)
        return 1;
    int value = image.get_int(VIPS_META_ORIENTATION);
    return value >= 1 && value <= 8 ? value : 1;
}

// The largest size with the proportions of (w, h) that fits box.
QSize fittedSize(int w, int h, QSize box)
{
    double scale = std::min(double(box.width()) / w, double(box.height()) / h);
    int fw = std::clamp(int(std::lround(w * scale)), 1, box.width());
    int fh = std::clamp(int(std::lround(h * scale)), 1, box.height());
    return {fw, fh};
}

// Our own JPEG shrink-on-load factor: the largest DCT shrink that still leaves at least the
// target size, so Lanczos3 does the rest. (The library's thumbnail keeps a 2x margin, which at
// 24 MP into full HD means decoding four times the pixels.)
int jpegShrink(int storedW, int storedH, QSize storedTarget)
{
    for (int shrink : {8, 4, 2}) {
        if (storedW / shrink >= storedTarget.width() && storedH / shrink >= storedTarget.height())
            return shrink;
    }
    return 1;
}

// Three 8-bit sRGB bands plus a constant alpha, in the byte order of QImage::Format_RGB32.
vips::VImage toBgra(vips::VImage image)
{
    using vips::VImage;
    if (image.has_alpha()) {
        // Transparent areas show the view's black background.
        image = image.flatten(VImage::option()->set("background", std::vector<double>{0.0}));
    }
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR,
                           VImage::option()->set("shift", image.format() == VIPS_FORMAT_USHORT));
    if (image.bands() == 1)
        image = VImage::bandjoin({image, image, image});
    if (image.bands() > 3)
        image = image.extract_band(0, VImage::option()->set("n", 3));
    return VImage::bandjoin({image[2], image[1], image[0]}).bandjoin_const({255.0});
}

TPictureLoad loadFitted(const QString &path, QSize box)
{
    using vips::VImage;
    TPictureLoad result;
    const QByteArray name = FsEncode(path);

    // Only regular files: a FIFO or a device named like a photo would block the reader.
    struct stat st
    {
    };
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = QStringLiteral("not a regular file");
        return result;
    }
    if (st.st_size == 0) {
        result.error = QStringLiteral("empty file");
        return result;
    }

    const char *loader = vips_foreign_find_load(name.constData());
    if (!loader) {
        result.error = takeVipsError();
        return result;
    }
    const QString format = QString::fromLatin1(loader);
    const bool jpeg = format.contains(QLatin1String("Jpeg"));

    try {
        auto openOptions = [] {
            return VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail_on", VIPS_FAIL_ON_NONE);
        };
        VImage image = VImage::new_from_file(name.constData(), openOptions());
        const int storedW = image.width();
        const int storedH = image.height();
        if (storedW <= 0 || storedH <= 0 || qint64(storedW) * storedH > TImageReader::MaxPixels) {
            result.error = QStringLiteral("picture too large");
            return result;
        }
        const int orientation = orientationOf(image);
        const bool swap = swapsAxes(orientation);
        const QSize shown = fittedSize(swap ? storedH : storedW, swap ? storedW : storedH, box);
        const QSize storedTarget = swap ? shown.transposed() : shown;

        if (jpeg) {
            int shrink = jpegShrink(storedW, storedH, storedTarget);
            if (shrink > 1)
                image = VImage::new_from_file(name.constData(), openOptions()->set("shrink", shrink));
        }
        const double hscale = double(storedTarget.width()) / image.width();
        const double vscale = double(storedTarget.height()) / image.height();
        image = image.resize(hscale,
                             VImage::option()->set("vscale", vscale)->set("kernel", VIPS_KERNEL_LANCZOS3));
        image = toBgra(image);
        if (orientation > 1) {
            // Rotating needs the whole (small) picture at hand; the loader only reads forwards.
            image = image.copy_memory();
            image.set(VIPS_META_ORIENTATION, orientation);
            image = image.autorot();
        }

        size_t size = 0;
        void *pixels = image.write_to_memory(&size);
        const int w = image.width();
        const int h = image.height();
        if (!pixels || size != size_t(w) * size_t(h) * 4) {
            g_free(pixels);
            result.error = QStringLiteral("no pixels");
            return result;
        }
        result.image =
            QImage(static_cast<uchar *>(pixels), w, h, w * 4, QImage::Format_RGB32, g_free, pixels);
        result.format = format;
    } catch (const vips::VError &e) {
        result.error = QString::fromUtf8(e.what()).trimmed();
        vips_error_clear();
    }
    return result;
}

} // namespace

TPictureLoad TImageReader::LoadFitted(const QString &path, QSize box)
{
    initVips();
    TPictureLoad result;
    if (box.width() > 0 && box.height() > 0)
        result = loadFitted(path, box);
    else
        result.error = QStringLiteral("empty view");
    vips_error_clear();
    vips_thread_shutdown();
    return result;
}

} // namespace kalido
