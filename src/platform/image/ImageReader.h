#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace kalido {

// The outcome of one picture load.
struct TPictureLoad
{
    // The picture fitted into the box, Format_RGB32; null when nothing could be read.
    QImage image;
    // Name of the reader that recognised the file's content; empty when no format was detected.
    QString format;
    // Why the load gave no picture (for logs and tests; never shown to the user).
    QString error;

    // True when a format was detected and a picture came out of it.
    bool Detected() const { return !format.isEmpty() && !image.isNull(); }
};

// Reads pictures through libvips. Safe to call from any thread, several at once.
class TImageReader
{
public:
    // Loads the picture at path, recognised by its content (never by its name), turned upright
    // from its orientation tag, and scales it with the Lanczos3 kernel to the largest size that
    // fits box with its proportions kept (small pictures are enlarged too). Pictures cut short
    // load as far as their data goes. Never throws.
    static TPictureLoad LoadFitted(const QString &path, QSize box);

    // Pictures with more pixels than this are refused before decoding.
    static constexpr qint64 MaxPixels = qint64(1) << 29;
};

} // namespace kalido
