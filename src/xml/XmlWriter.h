#pragma once

#include <QByteArray>
#include <QString>

namespace kalido {

class TxmlNode;

// The document's bytes: the declaration, the marker comment and the children of Document, two
// spaces of indentation per level, CR LF after every line, Windows-1252. Attribute characters the
// code page cannot hold are written as character references (&#NNNN;). Encoding, when given, only
// goes into the declaration. Decodes every node it writes.
QByteArray WriteXml(TxmlNode &document, const QByteArray &encoding = {});

// Writes WriteXml's bytes to a file, replacing it. Failure throws EFileStreamError.
void WriteXmlFile(TxmlNode &document, const QString &fileName, const QByteArray &encoding = {});

} // namespace kalido
