#include "XmlTestUtil.h"

#include <vector>

namespace kalido::test {

QByteArray dumpTree(TxmlNode &node)
{
    QByteArray out;
    // Iterative so that deep fixtures can be pictured too.
    std::vector<std::pair<TxmlNode *, int>> stack{{&node, 0}};
    while (!stack.empty()) {
        auto &[parent, next] = stack.back();
        if (next >= parent->ChildCount()) {
            if (stack.size() > 1)
                out += '}';
            stack.pop_back();
            continue;
        }
        if (next > 0)
            out += ',';
        TxmlNode *child = parent->Child(next++);
        const QByteArray text = child->GetText();
        if (child->IsComment) {
            out += "!--" + text;
            continue;
        }
        out += child->Name;
        if (const TStrAttrHash *attrs = child->Attributes()) {
            out += '[';
            for (int i = 0; i < attrs->Count(); ++i) {
                if (i > 0)
                    out += ' ';
                out += attrs->Item(i).Name + '=' + attrs->Item(i).Value.toUtf8();
            }
            out += ']';
        }
        if (!text.isEmpty())
            out += '\'' + text + '\'';
        if (child->ChildCount() > 0) {
            out += '{';
            stack.emplace_back(child, 0);
        }
    }
    return out;
}

} // namespace kalido::test
