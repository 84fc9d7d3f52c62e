// An object in the library's static storage that is constructed on first use and never destroyed.
#pragma once

#include <new>
#include <utility>

namespace tesh::kit {

/**
 * For state that objects released late at process exit may still reach, after the static destructors have run.
 * Unlike an object made with new and never freed, its memory is part of the library's image and goes with it when
 * the library is unloaded, so a host that loads and unloads the library again and again loses nothing; only what
 * the object allocates itself must be released by the unload step. Meant as a function-local static.
 */
template<class T>
class Immortal
{
public:
    template<class... Args>
    explicit Immortal(Args&&... args)
    {
        new (m_storage) T(std::forward<Args>(args)...);
    }

    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;

    T& get() { return *std::launder(reinterpret_cast<T*>(m_storage)); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

} // namespace tesh::kit
