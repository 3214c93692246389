#pragma once

#include "util/Errors.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace kalido {

// An ordered list of records that it allocates, owns and frees. Every record starts
// value-initialised (zero for plain data). Before a record's memory goes, a disposal hook may
// release what the record refers to: OnClearData when set, otherwise ClearDataRef.
template <class T> class TDataList
{
public:
    using TClearDataEvent = std::function<void(TDataList &sender, T *item)>;
    using TClearDataRef = std::function<void(T *item)>;

    static constexpr qsizetype ItemSize = sizeof(T);

    TDataList() = default;
    TDataList(const TDataList &) = delete;
    TDataList &operator=(const TDataList &) = delete;
    ~TDataList() { Clear(); }

    TClearDataEvent OnClearData;
    TClearDataRef ClearDataRef;

    // Appends a new record and returns it; the list keeps owning it.
    T *Add()
    {
        items_.push_back(std::make_unique<T>());
        return items_.back().get();
    }

    // Takes the record out of the list, then disposes it.
    void Delete(qsizetype index)
    {
        std::unique_ptr<T> item = Take(index);
        ClearData(item.get());
    }

    // Takes the record out of the list without disposing it; the caller owns it from now on.
    std::unique_ptr<T> Take(qsizetype index)
    {
        checkIndex(index);
        std::unique_ptr<T> item = std::move(items_[std::size_t(index)]);
        items_.erase(items_.begin() + index);
        return item;
    }

    // Disposes every record, first to last, then empties the list.
    void Clear()
    {
        // The list is empty before the first hook runs, so a hook that looks at the list never
        // meets a record that is already disposed.
        std::vector<std::unique_ptr<T>> items = std::move(items_);
        items_.clear();
        for (std::unique_ptr<T> &item : items) {
            ClearData(item.get());
            item.reset();
        }
    }

    // Runs the disposal hook on a record; its memory stays with whoever owns it.
    void ClearData(T *item)
    {
        if (OnClearData)
            OnClearData(*this, item);
        else if (ClearDataRef)
            ClearDataRef(item);
    }

    qsizetype Count() const { return qsizetype(items_.size()); }
    T *Item(qsizetype index) const
    {
        checkIndex(index);
        return items_[std::size_t(index)].get();
    }

    // Iteration over the records in order (each element a std::unique_ptr<T>).
    auto begin() const { return items_.cbegin(); }
    auto end() const { return items_.cend(); }

private:
    void checkIndex(qsizetype index) const
    {
        if (index < 0 || index >= Count())
            throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    }

    std::vector<std::unique_ptr<T>> items_;
};

} // namespace kalido
