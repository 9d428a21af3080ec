#pragma once
// The engine's growable array {data, size, capacity}. Resizing reallocates when the new size passes
// the capacity or falls to half of it or below, and then leaves room for half as many again.
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "flash/base/bx_memory.h"
#include "flash/base/log.h"

namespace flash {

template <class T>
class array {
public:
    array() = default;
    array(const array& other) { *this = other; }
    array(array&& other) noexcept
        : m_buffer(other.m_buffer), m_size(other.m_size), m_capacity(other.m_capacity) {
        other.m_buffer = nullptr;
        other.m_size = other.m_capacity = 0;
    }
    // An array that never held a buffer has nothing to free: most arrays of a call stay empty.
    ~array() {
        if (m_buffer) destroy();
    }

    array& operator=(const array& other) {
        if (this == &other) return *this;
        if (!resize(other.m_size)) return *this;
        for (int i = 0; i < m_size; ++i) m_buffer[i] = other.m_buffer[i];
        return *this;
    }
    array& operator=(array&& other) noexcept {
        if (this == &other) return *this;
        clear();
        std::swap(m_buffer, other.m_buffer);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }

    // No bound check: 0 <= index < size() is the caller's duty.
    T& operator[](int index) { return m_buffer[index]; }
    const T& operator[](int index) const { return m_buffer[index]; }
    T& back() { return m_buffer[m_size - 1]; }
    const T& back() const { return m_buffer[m_size - 1]; }

    int size() const { return m_size; }
    int capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    T* data() { return m_buffer; }
    const T* data() const { return m_buffer; }
    T* begin() { return m_buffer; }
    T* end() { return m_buffer + m_size; }
    const T* begin() const { return m_buffer; }
    const T* end() const { return m_buffer + m_size; }

    // Removed elements are destroyed, new ones value-initialised (pointers and numbers 0).
    // False (array unchanged) for a negative or impossible size or when memory is exhausted.
    bool resize(int new_size);

    void push_back(const T& value) {
        T copy(value);  // value may live in this array's own buffer
        if (resize(m_size + 1)) m_buffer[m_size - 1] = std::move(copy);
    }
    void push_back(T&& value) {
        T moved(std::move(value));
        if (resize(m_size + 1)) m_buffer[m_size - 1] = std::move(moved);
    }
    void pop_back() {
        if (m_size > 0) resize(m_size - 1);
    }
    // Removes the element at index; the tail moves down by one.
    void remove(int index) {
        if (index < 0 || index >= m_size) return;
        for (int i = index; i + 1 < m_size; ++i) m_buffer[i] = std::move(m_buffer[i + 1]);
        resize(m_size - 1);
    }
    void clear() { resize(0); }

private:
    [[gnu::noinline]] void destroy() { resize(0); }
    bool reallocate(int new_capacity, int keep);

    T* m_buffer = nullptr;
    int m_size = 0;
    int m_capacity = 0;
};

template <class T>
bool array<T>::reallocate(int new_capacity, int keep) {
    const size_t bytes = static_cast<size_t>(new_capacity) * sizeof(T);
    if (static_cast<unsigned long long>(new_capacity) * sizeof(T) > bx_max_block) return false;
    T* buffer;
    if constexpr (std::is_trivially_copyable_v<T>) {
        buffer = static_cast<T*>(bx_realloc(m_buffer, bytes));
        if (!buffer) return false;
        if (!m_buffer) std::memset(static_cast<void*>(buffer), 0, bytes);
    } else {
        buffer = static_cast<T*>(bx_alloc(bytes));
        if (!buffer) return false;
        if (!m_buffer) std::memset(static_cast<void*>(buffer), 0, bytes);
        for (int i = 0; i < keep; ++i) {
            new (buffer + i) T(std::move(m_buffer[i]));
            m_buffer[i].~T();
        }
        bx_free(m_buffer);
    }
    m_buffer = buffer;
    m_capacity = new_capacity;
    return true;
}

template <class T>
bool array<T>::resize(int new_size) {
    if (new_size < 0 ||
        static_cast<unsigned long long>(new_size) * 3 / 2 * sizeof(T) > bx_max_block) {
        log_error("error: array::resize(): %d elements refused\n", new_size);
        return false;
    }
    const int old_size = m_size;
    if (new_size > m_capacity || (new_size > 0 && new_size <= m_capacity / 2)) {
        // Growing: reallocate before constructing; the old elements are kept.
        if (new_size > old_size) {
            if (!reallocate(new_size + new_size / 2, old_size)) {
                log_error("error: array::resize(): out of memory for %d elements\n", new_size);
                return false;
            }
        } else {
            for (int i = new_size; i < old_size; ++i) m_buffer[i].~T();
            m_size = new_size;
            // Shrinking cannot fail for lack of room: on failure the larger buffer is kept.
            reallocate(new_size + new_size / 2, new_size);
            return true;
        }
    } else if (new_size == 0) {
        for (int i = 0; i < old_size; ++i) m_buffer[i].~T();
        bx_free(m_buffer);
        m_buffer = nullptr;
        m_capacity = 0;
        m_size = 0;
        return true;
    }
    for (int i = new_size; i < old_size; ++i) m_buffer[i].~T();
    for (int i = old_size; i < new_size; ++i) new (m_buffer + i) T();
    m_size = new_size;
    return true;
}

}  // namespace flash
