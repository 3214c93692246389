#include "store/XmlIni.h"

#include "store/AtomicSave.h"
#include "util/Text.h"
#include "xml/Cp1252.h"
#include "xml/XmlNode.h"
#include "xml/XmlWriter.h"

#include <limits>
#include <vector>

namespace kalido {

EXMLIniFailure::EXMLIniFailure() : Exception(QStringLiteral("Unexpected failure in the settings store")) {}

namespace {

const QString NoWritableKey = QStringLiteral("Open key before writing");

// Runs one interface operation: whatever goes wrong inside leaves as the one generic failure.
template <class F> auto guarded(F &&f) -> decltype(f())
{
    try {
        return f();
    } catch (...) {
        throw EXMLIniFailure();
    }
}

// The non-empty components of a backslash path, in the document's code page.
std::vector<QByteArray> components(const QString &path)
{
    std::vector<QByteArray> out;
    for (const QString &part : path.split(u'\\', Qt::SkipEmptyParts))
        out.push_back(ToAnsi(part));
    return out;
}

bool startsAtCurrentKey(const QString &path)
{
    return path.startsWith(u'\\');
}

// Lines as a text editor sees them: breaks are CR, LF or CR LF, and a break at the very end
// does not start another (empty) line.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << text.mid(start, i - start);
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

// Removes leading and trailing characters with codes up to 32.
QString trimControls(const QString &s)
{
    qsizetype from = 0, to = s.size();
    while (from < to && s.at(from).unicode() <= 32)
        ++from;
    while (to > from && s.at(to - 1).unicode() <= 32)
        --to;
    return s.mid(from, to - from);
}

// A whole-text integer: leading blanks, an optional sign, decimal digits or hexadecimal after
// "$" or "0x"; nothing may follow, and the value must fit in 32 bits.
bool parseInteger(const QString &text, int &value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    int base = 10;
    if (i < n && text.at(i) == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == u'0' && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return false;
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return false;
        magnitude = magnitude * base + d;
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

QString rectText(const IniRect &r)
{
    return QStringLiteral("[%1,%2,%3,%4]").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
}

class TXMLIni final : public IXMLIni
{
public:
    explicit TXMLIni(const QString &fileName) { setFileName(fileName); }

    void SetFileName(const QString &newName) override
    {
        guarded([&] { setFileName(newName); });
    }
    QString GetFileName() override { return fileName_; }
    bool GetReadOnly() override { return readOnly_; }
    void SetCurrentNode(const std::shared_ptr<IXMLNode> &node) override
    {
        guarded([&] {
            if (!node) {
                currentKey_ = nullptr;
                return;
            }
            TxmlNode *target = NodeOf(node);
            if (!target)
                throw Exception(QStringLiteral("Interface not supported"));
            setCurrentKey(target);
        });
    }
    std::shared_ptr<IXMLNode> GetCurrentNode() override
    {
        return guarded([&] { return WrapNode(currentKey_); });
    }
    std::shared_ptr<IXMLNode> GetKeyNode() override { return GetCurrentNode(); }
    std::shared_ptr<IXMLNode> GetRootNode() override
    {
        return guarded([&] { return WrapNode(root_.get()); });
    }
    void SetRootNode(const std::shared_ptr<IXMLNode> &node) override
    {
        guarded([&] {
            // The store owns its document node; it cannot take over a node that some other
            // document (or caller) frees.
            if (!node || NodeOf(node) != root_.get())
                throw Exception(QStringLiteral("The document node cannot be replaced"));
        });
    }
    void SetReadOnly(bool value) override { readOnly_ = value; }
    TxmlNode *GetCurrentXmlNode() override { return currentKey_; }
    void SetCurrentXmlNode(TxmlNode *node) override
    {
        guarded([&] {
            if (node)
                setCurrentKey(node);
            else
                currentKey_ = nullptr;
        });
    }
    void EraseKey() override
    {
        guarded([&] { eraseKey(writableKey()); });
    }
    void DeleteKey() override
    {
        guarded([&] {
            writableKey()->Delete();
            currentKey_ = nullptr;
        });
    }
    int ValueCount() override
    {
        return guarded([&] {
            return currentKey_ && currentKey_->Attributes() ? currentKey_->Attributes()->Count() : 0;
        });
    }
    bool UpdateFile() override { return updateFile(); }
    void Flush() override
    {
        guarded([&] { setFileName(fileName_); });
    }
    bool CheckDocument() override
    {
        return guarded([&] {
            if (!root_)
                return true;
            std::vector<TxmlNode *> pending{root_.get()};
            while (!pending.empty()) {
                TxmlNode *node = pending.back();
                pending.pop_back();
                for (int i = 0; i < node->ChildCount(); ++i)
                    pending.push_back(node->Child(i));
            }
            return true;
        });
    }
    void Reserved1() override
    {
        guarded([&] { throw Exception(QStringLiteral("not implemented")); });
    }
    void TestFile() override
    {
        guarded([&] { LoadXmlFile(fileName_); });
    }
    bool SeekKey(const QString &path) override
    {
        return guarded([&] {
            TxmlNode *key = startNode(path);
            const auto parts = components(path);
            if (parts.empty())
                return true;
            needKey(key);
            for (const QByteArray &part : parts) {
                TxmlNode *child = key->FindChild(part);
                if (!child)
                    return false;
                key = child;
                currentKey_ = key;
            }
            return true;
        });
    }
    bool OpenKey(const QString &path, bool canCreate, int index) override
    {
        return guarded([&] { return openKey(path, canCreate, index); });
    }
    bool OpenKeyByAttributes(const QString &path, const QString &attrs, bool canCreate) override
    {
        return guarded([&] { return openKeyByAttributes(path, attrs, canCreate); });
    }
    std::shared_ptr<IXMLNode> RenewKey(const QString &path1, const QString &path2) override
    {
        return guarded([&] {
            openKey(path1, true, -1);
            TxmlNode *k1 = currentKey_;
            openKey(path2, true, -1);
            TxmlNode *k2 = writableKey();
            TxmlNode *parent = k1->Parent();
            if (!parent)
                throw IniException(NoWritableKey);
            // Emptying an ancestor of the first key would destroy it before it is used.
            for (TxmlNode *n = parent; n; n = n->Parent())
                if (n == k2)
                    throw IniException(QStringLiteral("Cannot renew a key into one of its ancestors"));
            eraseKey(k2);
            k2->SetParent(parent);
            std::swap(k1->Name, k2->Name);
            currentKey_ = k2;
            return WrapNode(k2);
        });
    }
    void WriteString(const QString &name, const QString &value) override
    {
        guarded([&] { setValue(name, value); });
    }
    QString ReadString(const QString &name, const QString &def) override
    {
        return guarded([&] { return readString(name, def); });
    }
    void WriteInteger(const QString &name, int value) override
    {
        guarded([&] { setValue(name, QString::number(value)); });
    }
    int ReadInteger(const QString &name, int def) override
    {
        return guarded([&] {
            int v;
            return parseInteger(readString(name, QString()), v) ? v : def;
        });
    }
    void WriteBool(const QString &name, bool value) override
    {
        guarded([&] { setValue(name, value ? QStringLiteral("True") : QStringLiteral("False")); });
    }
    bool ReadBool(const QString &name, bool def) override
    {
        return guarded([&] {
            const QString v = readString(name, QString());
            if (v.isEmpty())
                return def;
            return v == u"1" || EqualText(v, QStringLiteral("true"));
        });
    }
    IniRect ReadRect(const QString &name, const IniRect &def) override
    {
        return guarded([&] { return readRect(name, def); });
    }
    void WriteRect(const QString &name, const IniRect &value) override
    {
        guarded([&] { setValue(name, rectText(value)); });
    }
    QPoint ReadPoint(const QString &name, const QPoint &def) override
    {
        return guarded([&] {
            const QString s = readString(name, QString());
            int x = def.x(), y = def.y();
            int v;
            if (parseInteger(ExtractWord(2, s, CharSet(",]")), v))
                y = v;
            if (parseInteger(ExtractWord(1, s, CharSet(",[")), v))
                x = v;
            return QPoint(x, y);
        });
    }
    void WritePoint(const QString &name, const QPoint &value) override
    {
        guarded([&] { setValue(name, QStringLiteral("[%1,%2]").arg(value.x()).arg(value.y())); });
    }
    void WriteStrings(const QString &name, const QString &text, int maxCount) override
    {
        guarded([&] {
            TxmlNode *key = needKey(currentKey_);
            const QByteArray listName = valueName(name);
            TxmlNode *list = key->FindChild(listName);
            if (!list)
                list = key->AddNamedChild(listName);
            const QStringList lines = splitLines(text);
            list->Clear();
            const qsizetype count =
                maxCount <= 0 ? lines.size() : std::min<qsizetype>(lines.size(), maxCount + 1);
            for (qsizetype i = 0; i < count; ++i) {
                TxmlNode *item = list->AddNamedChild("Item");
                item->SetText(ToAnsi(lines.at(i)));
                // The line is stored as given; only text read from a file carries entities.
                item->Decoded = true;
            }
        });
    }
    QString ReadStrings(const QString &name) override
    {
        return guarded([&] {
            TxmlNode *key = needKey(currentKey_);
            TxmlNode *list = key->FindChild(valueName(name));
            if (!list)
                return QString();
            QString result;
            for (int i = 0; i < list->ChildCount(); ++i)
                result += FromAnsi(list->Child(i)->GetText()) + QStringLiteral("\r\n");
            return trimControls(result);
        });
    }
    int ReadIndex(const QString &name, const QString &items, int def) override
    {
        return guarded([&] { return needKey(currentKey_)->AttributeAsIndex(ToAnsi(name), items, def); });
    }
    void WriteIndex(const QString &name, const QString &items, int index) override
    {
        guarded([&] {
            TxmlNode *key = writableKey();
            const QByteArray n = valueName(name);
            key->Decode();
            key->SetAttributeAsIndex(n, items, index);
        });
    }
    void Reserved2() override
    {
        guarded([&] { throw Exception(QStringLiteral("not implemented")); });
    }

private:
    void setFileName(const QString &newName)
    {
        if (!fileName_.isEmpty())
            updateFile();
        if (newName == fileName_ && root_)
            return;
        fileName_ = newName;
        currentKey_ = nullptr;
        root_.reset();
        // A file that cannot be read leaves the store without a document: every later
        // operation fails and nothing is ever written over that file.
        root_ = LoadXmlFile(newName);
        currentKey_ = root_.get();
    }

    bool updateFile()
    {
        if (readOnly_ || !root_)
            return false;
        try {
            return SaveFileAtomically(fileName_, WriteXml(*root_));
        } catch (...) {
            return false;
        }
    }

    TxmlNode *startNode(const QString &path)
    {
        if (!startsAtCurrentKey(path))
            currentKey_ = root_.get();
        return currentKey_;
    }

    static TxmlNode *needKey(TxmlNode *key)
    {
        if (!key)
            throw IniException(QStringLiteral("No key is open"));
        return key;
    }

    TxmlNode *writableKey()
    {
        if (!currentKey_ || currentKey_ == root_.get())
            throw IniException(NoWritableKey);
        return currentKey_;
    }

    // Nodes handed in from outside must belong to this document.
    void setCurrentKey(TxmlNode *node)
    {
        TxmlNode *n = node;
        while (n && n != root_.get())
            n = n->Parent();
        if (!n)
            throw Exception(QStringLiteral("The node does not belong to this settings file"));
        currentKey_ = node;
    }

    static QByteArray valueName(const QString &name)
    {
        if (name.isEmpty())
            throw IniException(QStringLiteral("A value needs a name"));
        return ToAnsi(name);
    }

    static void eraseKey(TxmlNode *key)
    {
        key->SetAttributes(nullptr);
        key->Clear();
    }

    void setValue(const QString &name, const QString &value)
    {
        TxmlNode *key = writableKey();
        const QByteArray n = valueName(name);
        // Decode what the key read from its file first, so that the value stored now is kept
        // exactly as given (an "&amp;" in it stays four characters).
        key->Decode();
        key->SetAttribute(n, value);
    }

    QString readString(const QString &name, const QString &def)
    {
        const QString v = writableKey()->Attribute(ToAnsi(name));
        return v.isEmpty() ? def : v;
    }

    bool openKey(const QString &path, bool canCreate, int index)
    {
        startNode(path);
        const auto parts = components(path);
        if (index < -1)
            index = -1;
        for (size_t i = 0; i < parts.size(); ++i) {
            TxmlNode *key = needKey(currentKey_);
            TxmlNode *found;
            if (i + 1 == parts.size()) {
                int at = index;
                found = key->FindNextChild(parts[i], at);
            } else {
                found = key->FindChild(parts[i]);
            }
            if (found)
                currentKey_ = found;
            else if (canCreate)
                currentKey_ = key->AddNamedChild(parts[i]);
            else {
                currentKey_ = nullptr;
                return false;
            }
        }
        return true;
    }

    bool openKeyByAttributes(const QString &path, const QString &attrs, bool canCreate)
    {
        TxmlNode *start = startNode(path);
        const auto parts = components(path);
        const QStringList lines = splitLines(attrs);
        for (size_t i = 0; i < parts.size(); ++i) {
            TxmlNode *key = needKey(currentKey_);
            TxmlNode *found = i + 1 == parts.size() ? key->FindChildByAttributes(parts[i], lines)
                                                    : key->FindChild(parts[i]);
            if (found) {
                currentKey_ = found;
                continue;
            }
            currentKey_ = nullptr;
            if (!canCreate)
                return false;
            // Create the missing parents from where the path started, then the key itself with
            // the first attribute=value pair as its only value.
            TxmlNode *parent = needKey(start);
            for (size_t j = 0; j + 1 < parts.size(); ++j) {
                TxmlNode *next = parent->FindChild(parts[j]);
                parent = next ? next : parent->AddNamedChild(parts[j]);
            }
            TxmlNode *created = parent->AddNamedChild(parts.back());
            const QString first = lines.isEmpty() ? QString() : lines.first();
            const qsizetype eq = first.indexOf(u'=');
            const QString attrName = eq < 0 ? first : first.left(eq);
            QString attrValue = eq < 0 ? QString() : first.mid(eq + 1);
            attrValue =
                attrValue.left(attrValue.indexOf(u'=') < 0 ? attrValue.size() : attrValue.indexOf(u'='));
            if (!attrName.isEmpty())
                created->SetAttribute(ToAnsi(attrName), attrValue);
            created->Decode();
            currentKey_ = created;
            return true;
        }
        return true;
    }

    IniRect readRect(const QString &name, const IniRect &def)
    {
        QString s = readString(name, rectText(def));
        if (s.size() >= 2 && QStringView(u"([{").contains(s.front()) &&
            QStringView(u")]}").contains(s.back()))
            s = s.mid(1, s.size() - 2);
        IniRect r = def;
        int *fields[] = {&r.left, &r.top, &r.right, &r.bottom};
        auto readField = [](const QString &text, int &field) {
            int v;
            if (parseInteger(trimControls(text).left(10), v))
                field = v;
        };
        for (int f = 0; f < 3; ++f) {
            const qsizetype comma = s.indexOf(u',');
            if (comma < 0)
                return r;
            readField(s.left(comma), *fields[f]);
            s = s.mid(comma + 1);
        }
        readField(s, r.bottom);
        return r;
    }

    QString fileName_;
    TxmlNode *currentKey_ = nullptr;
    bool readOnly_ = false;
    std::unique_ptr<TxmlNode> root_;
};

} // namespace

std::shared_ptr<IXMLIni> NewXMLIni(const QString &fileName)
{
    return guarded([&] { return std::shared_ptr<IXMLIni>(std::make_shared<TXMLIni>(fileName)); });
}

} // namespace kalido
