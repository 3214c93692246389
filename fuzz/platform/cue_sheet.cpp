// Writes the input as a cue sheet beside a small BIN, lists the disc's tracks and reads a little
// of each.
#include "platform/cd/CdAudio.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const bool binWritten = [] {
        QFile bin(dir.filePath("disc.bin"));
        return bin.open(QIODevice::WriteOnly) && bin.write(QByteArray(20 * 2352, '\x11')) == 20 * 2352;
    }();
    (void)binWritten;
    const QString cue = dir.filePath("disc.cue");
    {
        QFile f(cue);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    char buf[4 * 2352];
    for (const QString &name : kalido::cd::ListTracks(cue)) {
        auto reader = kalido::cd::CdTrackReader::Open(cue + "/" + name);
        for (int i = 0; reader && i < 4; ++i)
            if (reader->read(buf, sizeof buf) <= 0)
                break;
    }
    return 0;
}
