// Parses any text as a command line against a fixed key list; the first line of the input, when
// it holds a "\n", replaces the key list.
#include "cmdline/CmdParser.h"

#include <cstddef>
#include <cstdint>

using namespace kalido;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList keys{QStringLiteral("log"),
                     QStringLiteral("list"),
                     QStringLiteral("List"),
                     QStringLiteral("-Recurse"),
                     QStringLiteral("-r"),
                     QStringLiteral("-do"),
                     QStringLiteral("DeleteOriginals"),
                     QStringLiteral("-nogui"),
                     QStringLiteral("l")};
    QString line = input;
    const qsizetype nl = input.indexOf(u'\n');
    if (nl >= 0) {
        keys = input.left(nl).split(u',');
        line = input.mid(nl + 1);
    }
    TCmdParser parser(keys, line);
    try {
        parser.Parse();
    } catch (const EInvalidParam &) {
    }
    return 0;
}
