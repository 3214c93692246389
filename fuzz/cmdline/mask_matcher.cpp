// Builds a matcher from the first line of the input and matches every further line against it.
#include "cmdline/AutoMatcher.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace kalido;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = input.split(u'\n');
    auto matcher = BuildMatcher(lines.front());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        matcher->Matches(lines[i]);
        matcher->Match(lines[i]);
    }
    if (lines.size() == 1)
        matcher->Matches(lines.front());
    return 0;
}
