#pragma once
// The core services' owning pointer: {object, separately allocated count}. Any class with a
// virtual destructor can be held unchanged. Counts are atomic: loader threads copy pointers that
// the main thread also holds.
#include <atomic>
#include <cstddef>
#include <utility>

template <class T>
class SharedPtr {
public:
    SharedPtr() = default;
    explicit SharedPtr(T* object) : m_object(object), m_count(object ? new std::atomic<int>(1) : nullptr) {}
    SharedPtr(std::nullptr_t) {}
    SharedPtr(const SharedPtr& other) : m_object(other.m_object), m_count(other.m_count) { addRef(); }
    SharedPtr(SharedPtr&& other) noexcept : m_object(other.m_object), m_count(other.m_count) {
        other.m_object = nullptr;
        other.m_count = nullptr;
    }
    // Pointer to a base class of T shares the same count.
    template <class U>
    SharedPtr(const SharedPtr<U>& other) : m_object(other.get()), m_count(other.countCell()) {
        addRef();
    }
    ~SharedPtr() { release(); }

    SharedPtr& operator=(const SharedPtr& other) {
        if (m_object == other.m_object) return *this;  // also two empty pointers
        other.addRef();
        release();
        m_object = other.m_object;
        m_count = other.m_count;
        return *this;
    }
    SharedPtr& operator=(SharedPtr&& other) noexcept {
        if (this != &other) {
            SharedPtr moved(std::move(other));
            swap(moved);
        }
        return *this;
    }

    int useCount() const { return m_count ? m_count->load(std::memory_order_acquire) : 0; }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    bool isNull() const { return m_object == nullptr; }
    explicit operator bool() const { return m_object != nullptr; }
    void reset() { SharedPtr().swap(*this); }
    void swap(SharedPtr& other) noexcept {
        std::swap(m_object, other.m_object);
        std::swap(m_count, other.m_count);
    }
    std::atomic<int>* countCell() const { return m_count; }

    template <class U>
    bool operator==(const SharedPtr<U>& other) const {
        return m_object == other.get();
    }

    // A shared empty pointer of this type for lookups that find nothing.
    static const SharedPtr& empty() {
        static const SharedPtr none;
        return none;
    }

private:
    void addRef() const {
        if (m_count) m_count->fetch_add(1, std::memory_order_relaxed);
    }
    void release() {
        if (m_count && m_count->fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete m_object;
            delete m_count;
        }
        m_object = nullptr;
        m_count = nullptr;
    }

    T* m_object = nullptr;
    std::atomic<int>* m_count = nullptr;
};
