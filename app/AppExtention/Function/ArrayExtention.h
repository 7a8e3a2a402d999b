#pragma once

// Guarded list access: every lookup answers the empty value of the element type (null for object
// references) instead of failing when the object is absent or the index lies outside the list.
// Pure functions over the list given; any thread that may read that list.

#include <QList>
#include <cstdint>

namespace ArrayExtention {

template <class T> T firstObject(const QList<T> &list)
{
    return list.isEmpty() ? T{} : list.first();
}

template <class T> T safeObjectAtIndex(const QList<T> &list, std::uint64_t index)
{
    return index < std::uint64_t(list.size()) ? list.at(qsizetype(index)) : T{};
}

// The element after the first occurrence of object (compared for equality); empty when object is
// absent or last.
template <class T> T nextObject(const QList<T> &list, const T &object)
{
    const qsizetype index = list.indexOf(object);
    return index < 0 ? T{} : safeObjectAtIndex(list, std::uint64_t(index) + 1);
}

// The element before the first occurrence of object; empty when object is absent or first.
template <class T> T previousObject(const QList<T> &list, const T &object)
{
    const qsizetype index = list.indexOf(object);
    return index <= 0 ? T{} : list.at(index - 1);
}

// The element offset places from the first occurrence of object; empty when object is absent or
// the position lies outside the list (a position below 0 wraps as an unsigned index).
template <class T> T objectOffset(const QList<T> &list, const T &object, std::int64_t offset)
{
    const qsizetype index = list.indexOf(object);
    if (index < 0)
        return T{};
    return safeObjectAtIndex(list, std::uint64_t(std::int64_t(index) + offset));
}

} // namespace ArrayExtention
