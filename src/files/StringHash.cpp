#include "files/StringHash.h"

#include "util/Errors.h"

#include <QStringList>

namespace kalido {

namespace {

// Calls f with every code point of s; an unpaired surrogate counts as a code point of its own.
template <typename F> inline void forEachCodePoint(QStringView s, F &&f)
{
    const char16_t *p = s.utf16();
    const char16_t *end = p + s.size();
    while (p < end) {
        char32_t c = *p++;
        if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p))
            c = QChar::surrogateToUcs4(char16_t(c), *p++);
        f(c);
    }
}

inline char32_t fold(char32_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

inline void mix(std::size_t &h, char32_t c)
{
    h ^= c;
    h *= 0x100000001b3ULL; // FNV-1a
}

} // namespace

std::size_t StringKeyHash::operator()(QStringView key) const noexcept
{
    std::size_t h = 0xcbf29ce484222325ULL;
    if (caseSensitive) {
        for (QChar c : key)
            mix(h, c.unicode());
    } else {
        forEachCodePoint(key, [&h](char32_t c) { mix(h, fold(c)); });
    }
    return h;
}

bool StringKeyEqual::operator()(QStringView a, QStringView b) const noexcept
{
    if (caseSensitive)
        return a == b;
    const char16_t *p = a.utf16(), *pe = p + a.size();
    const char16_t *q = b.utf16(), *qe = q + b.size();
    auto next = [](const char16_t *&s, const char16_t *e) {
        char32_t c = *s++;
        if (QChar::isHighSurrogate(c) && s < e && QChar::isLowSurrogate(*s))
            c = QChar::surrogateToUcs4(char16_t(c), *s++);
        return c;
    };
    while (p < pe && q < qe) {
        const char32_t c = next(p, pe), d = next(q, qe);
        if (c != d && fold(c) != fold(d))
            return false;
    }
    return p == pe && q == qe;
}

TWideStringHash::TWideStringHash() : keys_(16, StringKeyHash{false}, StringKeyEqual{false}) {}

void TWideStringHash::Add(const QString &key)
{
    keys_.insert(key);
}

bool TWideStringHash::Contains(QStringView key) const
{
    return keys_.find(key) != keys_.end();
}

void TWideStringHash::AddExtensions(const QString &list)
{
    for (const QString &token : list.split(u';'))
        Add(u'.' + token);
}

TWideStringObjectHash::TWideStringObjectHash(bool ownsObjects, bool caseSensitive)
    : ownsObjects_(ownsObjects), caseSensitive_(caseSensitive),
      index_(16, StringKeyHash{caseSensitive}, StringKeyEqual{caseSensitive})
{}

TWideStringObjectHash::~TWideStringObjectHash()
{
    if (ownsObjects_)
        for (Slot &slot : slots_)
            if (slot.live)
                delete slot.object;
}

std::optional<int> TWideStringObjectHash::addOwned(const QString &key, StoredObject *object)
{
    if (!ownsObjects_)
        throw Exception(QStringLiteral("Object hash does not own its objects"));
    return insert(key, object);
}

std::optional<int> TWideStringObjectHash::Add(const QString &key, StoredObject *object)
{
    if (ownsObjects_ && object)
        throw Exception(QStringLiteral("Object hash owns its objects"));
    return insert(key, object);
}

std::optional<int> TWideStringObjectHash::Add(const QString &key, std::nullptr_t)
{
    return insert(key, nullptr);
}

std::optional<int> TWideStringObjectHash::insert(const QString &key, StoredObject *object)
{
    if (index_.find(QStringView(key)) != index_.end())
        return std::nullopt;
    int slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        slot = int(slots_.size());
        slots_.emplace_back();
    }
    slots_[slot] = Slot{key, object, true};
    index_.emplace(key, slot);
    return slot;
}

StoredObject *TWideStringObjectHash::Find(QStringView key) const
{
    const auto it = index_.find(key);
    return it == index_.end() ? nullptr : slots_[it->second].object;
}

bool TWideStringObjectHash::Contains(QStringView key) const
{
    return index_.find(key) != index_.end();
}

void TWideStringObjectHash::Remove(QStringView key)
{
    const auto it = index_.find(key);
    if (it == index_.end())
        return;
    const int slot = it->second;
    index_.erase(it);
    StoredObject *object = slots_[slot].object;
    slots_[slot] = Slot{};
    freeSlots_.push_back(slot);
    if (ownsObjects_)
        delete object;
}

bool TWideStringObjectHash::IsDeleted(int index) const
{
    if (index < 0 || index >= int(slots_.size()))
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    return !slots_[index].live;
}

const TWideStringObjectHash::Slot &TWideStringObjectHash::liveSlot(int index) const
{
    if (IsDeleted(index))
        throw Exception(QStringLiteral("Item is deleted"));
    return slots_[index];
}

QString TWideStringObjectHash::KeyAt(int index) const
{
    return liveSlot(index).key;
}

StoredObject *TWideStringObjectHash::ObjectAt(int index) const
{
    return liveSlot(index).object;
}

} // namespace kalido
