#pragma once

#include <QString>
#include <QStringView>
#include <concepts>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kalido {

// Base class of objects stored in a TWideStringObjectHash or attached to TFileList entries.
// Derive from it to put your own data there; an owning container deletes through this base.
class StoredObject
{
public:
    virtual ~StoredObject() = default;
};

// Hashing and equality of keys, either exact or after simple Unicode case folding of every code
// point. Heterogeneous: a QStringView can be looked up without building a QString.
struct StringKeyHash
{
    using is_transparent = void;
    bool caseSensitive = false;
    std::size_t operator()(QStringView key) const noexcept;
};
struct StringKeyEqual
{
    using is_transparent = void;
    bool caseSensitive = false;
    bool operator()(QStringView a, QStringView b) const noexcept;
};

// A set of strings compared without regard to letter case over the whole Unicode range, so
// ".JPG", ".jpg" (and "ÄÖ", "äö") are one key. Used as the extension set of a scan.
class TWideStringHash
{
public:
    TWideStringHash();

    // Inserts key; nothing happens when it is present (the first spelling stays).
    void Add(const QString &key);
    bool Contains(QStringView key) const;
    // Splits list at every ";" (blanks belong to the tokens) and adds "." + token for each:
    // "jpg;jpeg;tif;tiff" gives .jpg, .jpeg, .tif and .tiff.
    void AddExtensions(const QString &list);
    int Count() const { return int(keys_.size()); }

private:
    std::unordered_set<QString, StringKeyHash, StringKeyEqual> keys_;
};

// A map from string keys to objects with numbered slots. A removed entry frees its slot; the
// next insertion reuses the most recently freed slot, and a new slot is taken only when none is
// waiting. Slots are numbered 0 to SlotCount() - 1.
//
// Ownership: a map created with ownsObjects holds its objects as owners (they are deleted when
// removed and when the map goes); add them as std::unique_ptr. A map without ownsObjects only
// borrows: add plain pointers, which must outlive their entries.
class TWideStringObjectHash
{
public:
    TWideStringObjectHash(bool ownsObjects, bool caseSensitive);
    ~TWideStringObjectHash();
    TWideStringObjectHash(const TWideStringObjectHash &) = delete;
    TWideStringObjectHash &operator=(const TWideStringObjectHash &) = delete;

    bool OwnsObjects() const { return ownsObjects_; }
    bool CaseSensitive() const { return caseSensitive_; }

    // Stores object under key when key is absent and returns the slot used. When key is present
    // nothing is stored, std::nullopt is returned and object is left untouched with the caller.
    // The unique_ptr form is for owning maps, the pointer form for borrowing maps; the other
    // way round throws kalido::Exception.
    template <typename T>
    requires std::derived_from<T, StoredObject> std::optional<int> Add(const QString &key,
                                                                       std::unique_ptr<T> &&object)
    {
        const std::optional<int> slot = addOwned(key, object.get());
        if (slot)
            object.release();
        return slot;
    }
    std::optional<int> Add(const QString &key, StoredObject *object);
    std::optional<int> Add(const QString &key, std::nullptr_t);

    // The object stored under key; nullptr when key is absent (or stored a null object).
    StoredObject *Find(QStringView key) const;
    bool Contains(QStringView key) const;
    // Deletes the entry of key (and its object when owned); nothing when key is absent.
    void Remove(QStringView key);

    // Number of live entries.
    int Count() const { return int(index_.size()); }
    // Number of slots used so far, free ones included.
    int SlotCount() const { return int(slots_.size()); }
    // Whether slot index is free; throws "List index out of bounds (index)" outside the slots.
    bool IsDeleted(int index) const;
    // Key and object of the live entry in slot index; a free slot throws "Item is deleted".
    QString KeyAt(int index) const;
    StoredObject *ObjectAt(int index) const;

private:
    struct Slot
    {
        QString key;
        StoredObject *object = nullptr;
        bool live = false;
    };

    std::optional<int> addOwned(const QString &key, StoredObject *object);
    std::optional<int> insert(const QString &key, StoredObject *object);
    const Slot &liveSlot(int index) const;

    bool ownsObjects_;
    bool caseSensitive_;
    std::vector<Slot> slots_;
    std::vector<int> freeSlots_; // most recently freed last
    std::unordered_map<QString, int, StringKeyHash, StringKeyEqual> index_;
};

} // namespace kalido
