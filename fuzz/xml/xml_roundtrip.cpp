// Parses any bytes, writes the tree, parses the result again and writes that, and runs the
// walking operations over both trees on the way.
#include "xml/XmlNode.h"
#include "xml/XmlWriter.h"

#include <cstddef>
#include <cstdint>

using namespace kalido;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    auto first = LoadXmlBytes(input);
    const QByteArray written = WriteXml(*first);
    auto second = LoadXmlBytes(written);
    WriteXml(*second);

    if (TxmlNode *hit = second->FindDescendantByAttribute("", "a", ""))
        hit->Path();
    TxmlNode copy;
    copy.CopyByName(second.get(), false);
    first->MergeFrom(second.get(), "Name");
    WriteXml(*first);
    return 0;
}
