#pragma once

#include <memory>
#include <mutex>

/**
 * A box that carries one object out of a block that runs elsewhere (on a decode queue, say): the
 * block sets it, the caller reads it after waiting. Access is locked, so either side may be on
 * any thread.
 */
template <class T> class LMObjectContainer
{
public:
    std::shared_ptr<T> object() const
    {
        std::lock_guard guard(m_lock);
        return m_object;
    }
    void setObject(std::shared_ptr<T> object)
    {
        std::lock_guard guard(m_lock);
        m_object = std::move(object);
    }

private:
    mutable std::mutex m_lock;
    std::shared_ptr<T> m_object;
};
