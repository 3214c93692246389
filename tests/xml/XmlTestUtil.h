#pragma once

#include "xml/XmlNode.h"

#include <QByteArray>

namespace kalido::test {

// A compact picture of a tree for comparisons: siblings joined by ",", an element as
// name[attr=value ...]'text'{children}, a comment as !--text. Text and values as read (decoded).
QByteArray dumpTree(TxmlNode &node);

} // namespace kalido::test
