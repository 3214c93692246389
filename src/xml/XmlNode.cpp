#include "xml/XmlNode.h"

#include "util/Text.h"
#include "xml/Cp1252.h"
#include "xml/XmlParser.h"
#include "xml/XmlWriter.h"

#include <QIODevice>

#include <algorithm>

namespace kalido {

namespace {

[[noreturn]] void indexError(qsizetype index)
{
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

bool isBlank(char16_t c)
{
    return c <= 32;
}

QByteArrayView trimBlanks(QByteArrayView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.sliced(b, e - b);
}

QStringView trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b].unicode()))
        ++b;
    while (e > b && isBlank(s[e - 1].unicode()))
        --e;
    return s.sliced(b, e - b);
}

// Names compared the way the searches do: ASCII letters folded, nothing else.
bool sameAscii(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x += 32;
        if (y >= 'A' && y <= 'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

bool sameValue(const QString &a, const QString &b)
{
    return EqualText(StripAmpersands(a), StripAmpersands(b));
}

bool sameStrippedName(QByteArrayView a, QByteArrayView b)
{
    return EqualText(StripAmpersands(FromAnsi(a)), StripAmpersands(FromAnsi(b)));
}

// Items of a set or index list: every "," or ";" ends an item, empty items count.
QStringList splitItems(const QString &items)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i] == u',' || items[i] == u';') {
            out << items.mid(start, i - start);
            start = i + 1;
        }
    }
    out << items.mid(start);
    return out;
}

// Integer in the forms the attribute readers accept: leading blanks, a sign, "$" or "0x" for
// hexadecimal. False for anything else or a value outside 32 bits.
bool parseInteger(QStringView s, int &result)
{
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return false;
    quint64 value = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull)
            return false;
    }
    qint64 signedValue;
    if (base == 16) {
        // Hexadecimal covers the full 32 bits, as two's complement.
        signedValue = static_cast<qint32>(static_cast<quint32>(value));
    } else {
        signedValue = static_cast<qint64>(value);
        if (signedValue > qint64(INT_MAX) + (negative ? 1 : 0))
            return false;
    }
    result = static_cast<int>(negative ? -signedValue : signedValue);
    return true;
}

int twoDigits(QStringView s)
{
    int v = 0;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return 0;
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

// Two stored year digits, placed in the century window around the current year.
int fullYear(int yy)
{
    const int now = QDate::currentDate().year();
    int year = now / 100 * 100 + yy;
    if (year > now + 49)
        year -= 100;
    else if (year < now - 50)
        year += 100;
    return year;
}

QDate readDate(QStringView s)
{
    const qsizetype n = s.size();
    auto field = [&](qsizetype fromEnd) {
        const qsizetype start = n - fromEnd;
        if (start + 2 <= 0)
            return 0;
        return start < 0 ? twoDigits(s.first(start + 2)) : twoDigits(s.sliced(start, 2));
    };
    const QDate date(fullYear(field(2)), field(6), field(4));
    return date.isValid() ? date : QDate::currentDate();
}

QTime readTime(QStringView s)
{
    const qsizetype first = s.indexOf(u':');
    const qsizetype second = first < 0 ? -1 : s.indexOf(u':', first + 1);
    bool ok = true;
    auto number = [&ok](QStringView part) {
        int v = 0;
        if (!parseInteger(part, v))
            ok = false;
        return v;
    };
    int h = 0, m = 0, sec = 0;
    if (first < 0) {
        h = number(s);
    } else {
        h = number(s.first(first));
        if (second < 0) {
            m = number(s.sliced(first + 1));
        } else {
            m = number(s.sliced(first + 1, second - first - 1));
            sec = number(s.sliced(second + 1));
        }
    }
    const QTime t(h, m, sec);
    return ok && t.isValid() ? t : QTime(0, 0);
}

} // namespace

bool NamesMatch(QByteArrayView a, QByteArrayView b)
{
    return SameAnsiText(a, b);
}

// --- TStrAttrHash ------------------------------------------------------------------------------

const TAttrRec &TStrAttrHash::Item(int index) const
{
    if (index < 0 || index >= count_)
        indexError(index);
    return items_[index];
}

TAttrRec &TStrAttrHash::Item(int index)
{
    if (index < 0 || index >= count_)
        indexError(index);
    return items_[index];
}

int TStrAttrHash::IndexOf(QByteArrayView name) const
{
    for (int i = 0; i < count_; ++i)
        if (NamesMatch(items_[i].Name, name))
            return i;
    return -1;
}

QString TStrAttrHash::Value(QByteArrayView name) const
{
    const int i = IndexOf(name);
    return i < 0 ? QString() : items_[i].Value;
}

void TStrAttrHash::SetValue(const QByteArray &name, const QString &value)
{
    const int i = IndexOf(name);
    if (i < 0)
        Add(name, value);
    else
        items_[i].Value = value;
}

void TStrAttrHash::grow()
{
    const int capacity = Capacity();
    const int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    items_.resize(capacity + delta);
}

void TStrAttrHash::Add(const QByteArray &name, const QString &value)
{
    if (count_ == Capacity())
        grow();
    items_[count_].Name = name;
    items_[count_].Value = value;
    ++count_;
}

void TStrAttrHash::Assign(const TStrAttrHash &source)
{
    if (&source == this)
        return;
    Clear();
    for (int i = 0; i < source.count_; ++i)
        Add(source.items_[i].Name, source.items_[i].Value);
}

void TStrAttrHash::Clear()
{
    for (int i = 0; i < count_; ++i)
        items_[i] = TAttrRec();
    count_ = 0;
}

// --- TxmlNode: structure -----------------------------------------------------------------------

TxmlNode::~TxmlNode()
{
    // Tear the subtree down without recursion, so that any depth of nesting is safe. Nodes go in
    // document order, the order they were most likely allocated in, which keeps freeing cheap.
    std::vector<std::unique_ptr<TxmlNode>> pending;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        pending.push_back(std::move(*it));
    children_.clear();
    while (!pending.empty()) {
        std::unique_ptr<TxmlNode> node = std::move(pending.back());
        pending.pop_back();
        node->attributes_.reset();
        node->rawAttributes_ = QByteArray();
        node->Text = QByteArray();
        for (auto it = node->children_.rbegin(); it != node->children_.rend(); ++it)
            pending.push_back(std::move(*it));
        node->children_.clear();
    }
}

void TxmlNode::SetAttributes(std::unique_ptr<TStrAttrHash> table)
{
    rawAttributes_ = QByteArray();
    attributes_ = std::move(table);
}

void TxmlNode::buildTable() const
{
    attributes_ = std::make_unique<TStrAttrHash>();
    TxmlParser::FillTable(QByteArrayView(rawAttributes_).sliced(rawBegin_, rawEnd_ - rawBegin_),
                          *attributes_);
    rawAttributes_ = QByteArray();
}

TxmlNode *TxmlNode::Child(int index) const
{
    if (index < 0)
        indexError(index);
    return index < ChildCount() ? children_[index].get() : nullptr;
}

int TxmlNode::IndexOfChild(const TxmlNode *child) const
{
    for (size_t i = 0; i < children_.size(); ++i)
        if (children_[i].get() == child)
            return static_cast<int>(i);
    return -1;
}

TxmlNode *TxmlNode::FindChild(QByteArrayView name) const
{
    if (name.isEmpty())
        return const_cast<TxmlNode *>(this);
    for (const auto &child : children_)
        if (NamesMatch(child->Name, name))
            return child.get();
    return nullptr;
}

TxmlNode *TxmlNode::FindNextChild(QByteArrayView name, int &index) const
{
    for (int i = std::max(index + 1, 0); i < ChildCount(); ++i) {
        if (NamesMatch(children_[i]->Name, name)) {
            index = i;
            return children_[i].get();
        }
    }
    return nullptr;
}

bool TxmlNode::NameIs(QByteArrayView name) const
{
    return NamesMatch(Name, name);
}

TxmlNode *TxmlNode::AddChild()
{
    return AppendChild(std::make_unique<TxmlNode>());
}

TxmlNode *TxmlNode::AddNamedChild(const QByteArray &name)
{
    return AppendChild(std::make_unique<TxmlNode>(name));
}

TxmlNode *TxmlNode::InsertChild(int index)
{
    if (index < 0 || index > ChildCount())
        indexError(index);
    auto node = std::make_unique<TxmlNode>();
    node->parent_ = this;
    TxmlNode *result = node.get();
    children_.insert(children_.begin() + index, std::move(node));
    return result;
}

TxmlNode *TxmlNode::AppendChild(std::unique_ptr<TxmlNode> child)
{
    child->parent_ = this;
    children_.push_back(std::move(child));
    return children_.back().get();
}

TxmlNode *TxmlNode::ForcePath(QByteArrayView path)
{
    TxmlNode *node = this;
    bool any = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\')
            continue;
        if (i > start) {
            const QByteArrayView part = path.sliced(start, i - start);
            TxmlNode *next = node->FindChild(part);
            node = next ? next : node->AddNamedChild(part.toByteArray());
            any = true;
        }
        start = i + 1;
    }
    return any ? node : nullptr;
}

QByteArray TxmlNode::Path() const
{
    std::vector<const TxmlNode *> chain;
    for (const TxmlNode *n = this; n; n = n->parent_)
        chain.push_back(n);
    QByteArray out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!out.isEmpty() || it != chain.rbegin())
            out += '\\';
        out += (*it)->Name;
    }
    return out;
}

void TxmlNode::Clear()
{
    children_.clear();
}

void TxmlNode::DeleteChild(int index)
{
    if (index < 0 || index >= ChildCount())
        indexError(index);
    auto doomed = std::move(children_[index]);
    children_.erase(children_.begin() + index);
}

void TxmlNode::DeleteChildByName(QByteArrayView name)
{
    for (int i = 0; i < ChildCount(); ++i) {
        if (NamesMatch(children_[i]->Name, name)) {
            DeleteChild(i);
            return;
        }
    }
}

void TxmlNode::RemoveChild(TxmlNode *child)
{
    const int i = IndexOfChild(child);
    if (i >= 0)
        DeleteChild(i);
}

void TxmlNode::Delete()
{
    if (parent_)
        parent_->RemoveChild(this);
}

std::unique_ptr<TxmlNode> TxmlNode::Detach()
{
    if (!parent_)
        return nullptr;
    TxmlNode *old = parent_;
    const int i = old->IndexOfChild(this);
    std::unique_ptr<TxmlNode> self = std::move(old->children_[i]);
    old->children_.erase(old->children_.begin() + i);
    parent_ = nullptr;
    return self;
}

std::unique_ptr<TxmlNode> TxmlNode::SetParent(TxmlNode *newParent)
{
    if (newParent == parent_)
        return nullptr;
    if (!parent_)
        throw EListError(QStringLiteral("A node without parent is given a parent with AppendChild"));
    for (const TxmlNode *n = newParent; n; n = n->parent_)
        if (n == this)
            throw EListError(QStringLiteral("A node cannot be moved below itself"));
    std::unique_ptr<TxmlNode> self = Detach();
    if (!newParent)
        return self;
    newParent->AppendChild(std::move(self));
    return nullptr;
}

// --- TxmlNode: text and attributes -------------------------------------------------------------

void TxmlNode::Decode()
{
    if (Decoded)
        return;
    Decoded = true;
    Text = trimBlanks(DecodeEntities(QByteArrayView(Text))).toByteArray();
    TStrAttrHash *attrs = table();
    if (!attrs)
        return;
    for (int i = 0; i < attrs->Count(); ++i) {
        QString &value = attrs->Item(i).Value;
        const QStringView trimmed = trimBlanks(QStringView(value));
        if (trimmed.size() == value.size() && !value.contains(u'&'))
            continue;
        value = DecodeEntities(trimmed);
    }
}

QByteArray TxmlNode::GetText()
{
    Decode();
    return Text;
}

QString TxmlNode::Attribute(QByteArrayView name)
{
    if (!table())
        return QString();
    Decode();
    return attributes_->Value(name);
}

void TxmlNode::SetAttribute(const QByteArray &name, const QString &value)
{
    if (!table())
        attributes_ = std::make_unique<TStrAttrHash>();
    attributes_->SetValue(name, value);
}

int TxmlNode::AttributeAsInteger(QByteArrayView name)
{
    int value = 0;
    return parseInteger(Attribute(name), value) ? value : 0;
}

QDateTime TxmlNode::AttributeAsDateTime(QByteArrayView name)
{
    const QString value = Attribute(name);
    const qsizetype space = value.indexOf(u' ');
    if (space >= 0)
        return QDateTime(readDate(QStringView(value).first(space)),
                         readTime(QStringView(value).sliced(space + 1)));
    if (value.contains(u':'))
        return QDateTime(ZeroDate(), readTime(value));
    return QDateTime(readDate(value), QTime(0, 0));
}

void TxmlNode::SetAttributeAsDateTime(const QByteArray &name, const QDateTime &value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    const QString yy = QStringLiteral("%1").arg(((date.year() % 100) + 100) % 100, 2, 10, QChar(u'0'));
    const QString dateText = date.toString(QStringLiteral("MMdd")) + yy;
    const QString timeText = time.toString(QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || date == ZeroDate())
        SetAttribute(name, timeText);
    else if (time == QTime(0, 0))
        SetAttribute(name, dateText);
    else
        SetAttribute(name, dateText + u' ' + timeText);
}

quint64 TxmlNode::AttributeAsSet(QByteArrayView name, const QString &items, quint64 defaultValue)
{
    QString value = Attribute(name);
    if (value.isEmpty())
        return defaultValue;
    if (value.startsWith(u'(') || value.startsWith(u'[') || value.startsWith(u'{'))
        value.remove(0, 1);
    if (value.endsWith(u')') || value.endsWith(u']') || value.endsWith(u'}'))
        value.chop(1);
    const QStringList list = splitItems(items);
    static const CharSet delims(" ,;");
    quint64 result = 0;
    const int words = WordCount(value, delims);
    for (int w = 1; w <= words; ++w) {
        const QString word = ExtractWord(w, value, delims);
        for (int i = 0; i < list.size() && i < 64; ++i) {
            if (EqualText(list[i], word)) {
                result |= quint64(1) << i;
                break;
            }
        }
    }
    return result;
}

void TxmlNode::SetAttributeAsSet(const QByteArray &name, const QString &items, quint64 value)
{
    const QStringList list = splitItems(items);
    QStringList names;
    for (int i = 0; i < list.size() && i < 64; ++i)
        if (value & (quint64(1) << i))
            names << list[i];
    SetAttribute(name, u'[' + names.join(u',') + u']');
}

int TxmlNode::AttributeAsIndex(QByteArrayView name, const QString &items, int defaultValue)
{
    const QString value = Attribute(name);
    const QStringList list = splitItems(items);
    for (int i = 0; i < list.size(); ++i)
        if (EqualText(list[i], value))
            return i;
    return defaultValue;
}

void TxmlNode::SetAttributeAsIndex(const QByteArray &name, const QString &items, int index)
{
    static const CharSet delims(",;");
    SetAttribute(name, index >= 0 ? ExtractWord(index + 1, items, delims) : QString());
}

QString TxmlNode::AttributesText()
{
    if (!table())
        return QString();
    Decode();
    QString out;
    for (int i = 0; i < attributes_->Count(); ++i) {
        const TAttrRec &rec = attributes_->Item(i);
        if (i > 0)
            out += u' ';
        out += FromAnsi(rec.Name) + QStringLiteral("=\"") + EncodeEntities(rec.Value) + u'"';
    }
    return out;
}

// --- TxmlNode: searches and merging ------------------------------------------------------------

TxmlNode *TxmlNode::FindChildByAttribute(QByteArrayView name, QByteArrayView attrName, const QString &value)
{
    for (const auto &child : children_)
        if ((name.isEmpty() || sameAscii(child->Name, name)) && sameValue(child->Attribute(attrName), value))
            return child.get();
    return nullptr;
}

TxmlNode *TxmlNode::FindChildByAttributes(QByteArrayView name, const QStringList &lines)
{
    struct Condition
    {
        QByteArray name;
        QString value;
    };
    std::vector<Condition> conditions;
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            conditions.push_back({ToAnsi(line), QString()});
        else
            conditions.push_back({ToAnsi(QStringView(line).first(eq)), line.mid(eq + 1)});
    }
    for (const auto &child : children_) {
        if (!sameAscii(child->Name, name))
            continue;
        const bool all = std::all_of(conditions.begin(), conditions.end(), [&](const Condition &c) {
            return sameValue(child->Attribute(c.name), c.value);
        });
        if (all)
            return child.get();
    }
    return nullptr;
}

TxmlNode *TxmlNode::FindDescendantByAttribute(QByteArrayView name, QByteArrayView attrName,
                                              const QString &value)
{
    // The recursive order (own children first, then the whole search below each child in turn)
    // kept with an explicit stack of positions.
    if (TxmlNode *hit = FindChildByAttribute(name, attrName, value))
        return hit;
    std::vector<std::pair<TxmlNode *, int>> stack{{this, 0}};
    while (!stack.empty()) {
        auto &[node, next] = stack.back();
        if (next >= node->ChildCount()) {
            stack.pop_back();
            continue;
        }
        TxmlNode *child = node->children_[next++].get();
        if (TxmlNode *hit = child->FindChildByAttribute(name, attrName, value))
            return hit;
        stack.emplace_back(child, 0);
    }
    return nullptr;
}

namespace {

bool sameAttributes(TxmlNode *a, TxmlNode *b, QByteArrayView keyAttr)
{
    const TStrAttrHash *ta = a->Attributes();
    const TStrAttrHash *tb = b->Attributes();
    if (ta == tb)
        return true;
    a->Decode();
    b->Decode();
    if (!keyAttr.isEmpty()) {
        auto keyValue = [keyAttr](const TStrAttrHash *t) { return t ? t->Value(keyAttr) : QString(); };
        return sameValue(keyValue(ta), keyValue(tb));
    }
    if (!ta || !tb || ta->Count() != tb->Count())
        return false;
    for (int i = 0; i < ta->Count(); ++i) {
        const TAttrRec &rec = ta->Item(i);
        bool found = false;
        for (int j = 0; j < tb->Count() && !found; ++j)
            found = sameAscii(tb->Item(j).Name, rec.Name) && sameValue(tb->Item(j).Value, rec.Value);
        if (!found)
            return false;
    }
    return true;
}

} // namespace

TxmlNode *TxmlNode::FindSameChild(TxmlNode *node, QByteArrayView keyAttr)
{
    for (const auto &child : children_)
        if (sameStrippedName(child->Name, node->Name) && sameAttributes(child.get(), node, keyAttr))
            return child.get();
    return nullptr;
}

void TxmlNode::MergeFrom(TxmlNode *source, QByteArrayView keyAttr)
{
    struct Frame
    {
        TxmlNode *target;
        TxmlNode *source;
        int next;
    };
    std::vector<Frame> stack{{this, source, 0}};
    while (!stack.empty()) {
        Frame &f = stack.back();
        if (f.next >= f.source->ChildCount()) {
            stack.pop_back();
            continue;
        }
        TxmlNode *child = f.source->children_[f.next].get();
        if (TxmlNode *match = f.target->FindSameChild(child, keyAttr)) {
            ++f.next;
            stack.push_back({match, child, 0});
        } else {
            f.target->AppendChild(child->Detach());
        }
    }
}

void TxmlNode::MergeFile(const QString &fileName, QByteArrayView keyAttr)
{
    std::unique_ptr<TxmlNode> doc = LoadXmlFile(fileName);
    MergeFrom(doc.get(), keyAttr);
}

void TxmlNode::CopyByName(TxmlNode *source, bool includeSource)
{
    struct Frame
    {
        TxmlNode *target;
        TxmlNode *source;
        int next;
    };
    std::vector<Frame> stack;
    auto copyOne = [&stack](TxmlNode *into, TxmlNode *from) {
        const QString key = from->Attribute("Name");
        TxmlNode *target = into->FindChildByAttribute(from->Name, "Name", key);
        if (!target)
            target = into->AddNamedChild(from->Name);
        // Settle the target's own values first: it counts as decoded from here on.
        target->Decode();
        from->Decode();
        if (from->Attributes()) {
            if (!target->Attributes())
                target->SetAttributes(std::make_unique<TStrAttrHash>());
            target->Attributes()->Assign(*from->Attributes());
        }
        target->Text = from->Text;
        stack.push_back({target, from, 0});
    };
    if (includeSource)
        copyOne(this, source);
    else
        stack.push_back({this, source, 0});
    while (!stack.empty()) {
        Frame &f = stack.back();
        if (f.next >= f.source->ChildCount()) {
            stack.pop_back();
            continue;
        }
        TxmlNode *target = f.target;
        TxmlNode *child = f.source->children_[f.next++].get();
        copyOne(target, child);
    }
}

// --- files -------------------------------------------------------------------------------------

void TxmlNode::LoadFromFile(const QString &fileName)
{
    QByteArray bytes;
    if (!ReadXmlFileBytes(fileName, bytes))
        return;
    TxmlParser parser(this);
    parser.Parse(bytes);
}

void TxmlNode::SaveToStream(QIODevice &stream, const QByteArray &encoding)
{
    const QByteArray bytes = WriteXml(*this, encoding);
    if (stream.write(bytes) != bytes.size())
        throw EFileStreamError(QStringLiteral("Stream write error: ") + stream.errorString());
}

void TxmlNode::SaveToFile(const QString &fileName, const QByteArray &encoding)
{
    WriteXmlFile(*this, fileName, encoding);
}

std::unique_ptr<TxmlNode> LoadXmlFile(const QString &fileName)
{
    auto doc = std::make_unique<TxmlNode>(QByteArrayLiteral("Root"));
    doc->LoadFromFile(fileName);
    return doc;
}

std::unique_ptr<TxmlNode> LoadXmlStream(QIODevice &stream)
{
    return LoadXmlBytes(stream.readAll());
}

std::unique_ptr<TxmlNode> LoadXmlBytes(QByteArrayView bytes)
{
    auto doc = std::make_unique<TxmlNode>(QByteArrayLiteral("Root"));
    TxmlParser parser(doc.get());
    parser.Parse(bytes.toByteArray());
    return doc;
}

// --- entity helpers ----------------------------------------------------------------------------

namespace {

// Decoding shared by the 8-bit and the UTF-16 forms. Emit receives a decoded character code:
// a byte value (0..255) or, for the UTF-16 form, a code point of 256 and above.
template <typename Char, typename Out> void decodeEntities(const Char *s, qsizetype n, bool wide, Out &out)
{
    auto at = [&](qsizetype i) -> char32_t { return static_cast<char32_t>(s[i]); };
    auto startsWith = [&](qsizetype i, const char *word) {
        for (qsizetype k = 0; word[k]; ++k)
            if (i + k >= n || at(i + k) != static_cast<unsigned char>(word[k]))
                return false;
        return true;
    };
    qsizetype i = 0;
    while (i < n) {
        const char32_t c = at(i);
        if (c != '&') {
            out.copy(i);
            ++i;
            continue;
        }
        static const struct
        {
            const char *word;
            char value;
        } named[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&nbsp;", ' '}};
        bool done = false;
        for (const auto &e : named) {
            if (startsWith(i, e.word)) {
                out.byte(static_cast<unsigned char>(e.value));
                i += qsizetype(strlen(e.word));
                done = true;
                break;
            }
        }
        if (done)
            continue;
        if (i + 1 < n && at(i + 1) == '#') {
            qsizetype end = i + 2;
            while (end < n && at(end) != ';')
                ++end;
            qsizetype k = i + 2;
            int base = 10;
            if (k < end && (at(k) == 'x' || at(k) == '$')) {
                base = 16;
                ++k;
            }
            quint64 value = 0;
            bool digits = false;
            for (; k < end; ++k) {
                const char32_t d = at(k);
                int v;
                if (d >= '0' && d <= '9')
                    v = int(d - '0');
                else if (base == 16 && d >= 'a' && d <= 'f')
                    v = int(d - 'a' + 10);
                else if (base == 16 && d >= 'A' && d <= 'F')
                    v = int(d - 'A' + 10);
                else
                    break;
                digits = true;
                value = std::min<quint64>(value * base + v, 0x7FFFFFFF);
            }
            // A reference that names no character (no digits, or code 0) stays as text: a NUL
            // would cut the value short when it is written.
            const bool resolvable = digits && value > 0 && (value <= 255 || (wide && value <= 0x10FFFF));
            if (!resolvable) {
                out.copy(i);
                out.copy(i + 1);
                i += 2;
                continue;
            }
            if (value <= 255)
                out.byte(static_cast<unsigned char>(value));
            else
                out.codePoint(static_cast<char32_t>(value));
            i = end + 1;
            continue;
        }
        ++i; // an unknown "&" is dropped
    }
}

struct ByteOut
{
    const char *src;
    QByteArray &dst;
    void copy(qsizetype i) { dst += src[i]; }
    void byte(unsigned char b) { dst += static_cast<char>(b); }
    void codePoint(char32_t) {}
};

struct WideOut
{
    const QChar *src;
    QString &dst;
    void copy(qsizetype i) { dst += src[i]; }
    void byte(unsigned char b) { dst += QChar(AnsiToChar(b)); }
    void codePoint(char32_t c)
    {
        if (c < 0x10000) {
            dst += QChar(char16_t(c));
        } else {
            dst += QChar(QChar::highSurrogate(c));
            dst += QChar(QChar::lowSurrogate(c));
        }
    }
};

} // namespace

QByteArray DecodeEntities(QByteArrayView s)
{
    if (!s.contains('&'))
        return s.toByteArray();
    QByteArray out;
    out.reserve(s.size());
    ByteOut sink{s.data(), out};
    decodeEntities(reinterpret_cast<const unsigned char *>(s.data()), s.size(), false, sink);
    return out;
}

QString DecodeEntities(QStringView s)
{
    if (!s.contains(u'&'))
        return s.toString();
    QString out;
    out.reserve(s.size());
    WideOut sink{s.data(), out};
    decodeEntities(reinterpret_cast<const char16_t *>(s.data()), s.size(), true, sink);
    return out;
}

QString EncodeEntities(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        switch (c.unicode()) {
        case 0:
            return out;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString StripAmpersands(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            ++i;
            if (i >= s.size())
                break;
        }
        out += s[i];
    }
    return out;
}

} // namespace kalido
