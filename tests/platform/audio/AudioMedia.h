#pragma once

#include "TestSupport.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kalido::test {

// Short tracks made with ffmpeg, plus files that look like tracks but cannot be played.
struct AudioMedia
{
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    // A sine tone of the given length; the extension picks the codec.
    QString tone(const QString &name, double seconds, int hz = 440) const
    {
        const QString codec = name.endsWith(".wma")   ? "wmav2"
                              : name.endsWith(".ogg") ? "libvorbis"
                                                      : "libmp3lame";
        const QString cmd = QStringLiteral("ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                           "sine=frequency=%1:duration=%2 -ac 2 -c:a %3 '%4'")
                                .arg(hz)
                                .arg(seconds)
                                .arg(codec, path(name));
        EXPECT_EQ(runShell(cmd), 0) << cmd.toStdString();
        return path(name);
    }

    QString empty(const QString &name) const
    {
        writeFile(path(name), {});
        return path(name);
    }

    QString text(const QString &name) const
    {
        writeFile(path(name), QByteArray("this is not music\n").repeated(200));
        return path(name);
    }

    // The first part of a good ogg file.
    QString truncatedOgg(const QString &name) const
    {
        const QByteArray whole = readFile(tone(name + ".whole.ogg", 2));
        writeFile(path(name), whole.left(whole.size() / 3));
        return path(name);
    }
};

} // namespace kalido::test
