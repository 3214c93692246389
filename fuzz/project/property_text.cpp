// Settings values arrive as text from project files, page controls and command keys. Feeds
// "Name=Value" lines to the slideshow settings and checks that every value accepted reads back
// as a text that is accepted again and gives the same value.
#include "project/KDProperties.h"
#include "project/PropertyAccess.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static kalido::TKDProperties props;
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &line : input.split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QByteArray name = line.left(eq).toLatin1();
        const QString value = line.mid(eq + 1);
        try {
            kalido::SetPropText(props, name, value);
        } catch (const kalido::EPropertyError &) {
            continue;
        }
        const QString first = kalido::GetPropText(props, name);
        kalido::SetPropText(props, name, first);
        if (kalido::GetPropText(props, name) != first)
            std::abort();
    }
    for (const kalido::TPropInfo &p : kalido::PublishedProperties(*props.metaObject()))
        (void)kalido::GetPropText(props, p);
    return 0;
}
