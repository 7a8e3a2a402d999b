#pragma once

#include <QList>

/**
 * Safe list access for the application: out-of-range positions give a null result instead of a
 * fault. Plain functions, any thread.
 */
namespace DLFunc {

// The element at index, or a default-constructed value (null for pointers) when index is negative
// or not below the count.
template <class T> T arraySafeObjectAtIndex(const QList<T> &array, qsizetype index)
{
    if (index < 0 || index >= array.size())
        return T();
    return array.at(index);
}

// The element offset places after object (before it for a negative offset), by the same safe
// access; a default-constructed value when object is not in the list.
template <class T> T arrayObjectOffset(const QList<T> &array, const T &object, qsizetype offset)
{
    const qsizetype index = array.indexOf(object);
    if (index < 0)
        return T();
    return arraySafeObjectAtIndex(array, index + offset);
}

} // namespace DLFunc
