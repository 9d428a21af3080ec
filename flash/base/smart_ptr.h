#pragma once
// Strong and weak pointers over the engine's reference-counted objects.
// gc_ptr (also named smart_ptr) holds one reference; weak_ptr reads null once its object died.
#include <utility>

#include "flash/base/ref_counted.h"

namespace flash {

template <class T>
class gc_ptr {
public:
    gc_ptr() = default;
    gc_ptr(T* p) : m_ptr(p) {
        if (m_ptr) m_ptr->add_ref();
    }
    gc_ptr(const gc_ptr& other) : gc_ptr(other.m_ptr) {}
    template <class U>
    gc_ptr(const gc_ptr<U>& other) : gc_ptr(other.get_ptr()) {}
    gc_ptr(gc_ptr&& other) noexcept : m_ptr(other.m_ptr) { other.m_ptr = nullptr; }
    ~gc_ptr() {
        if (m_ptr) m_ptr->drop_ref();
        m_ptr = nullptr;
    }

    // The new object gains its reference before the old one loses its own, so assigning an object
    // that only the old one keeps alive is safe.
    gc_ptr& operator=(T* p) {
        if (p != m_ptr) {
            if (p) p->add_ref();
            T* old = m_ptr;
            m_ptr = p;
            if (old) old->drop_ref();
        }
        return *this;
    }
    gc_ptr& operator=(const gc_ptr& other) { return *this = other.m_ptr; }
    gc_ptr& operator=(gc_ptr&& other) noexcept {
        if (this != &other) {
            T* old = m_ptr;
            m_ptr = other.m_ptr;
            other.m_ptr = nullptr;
            if (old) old->drop_ref();
        }
        return *this;
    }

    T* get_ptr() const { return m_ptr; }
    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    operator T*() const { return m_ptr; }

    bool operator==(const gc_ptr& other) const { return m_ptr == other.m_ptr; }
    bool operator!=(const gc_ptr& other) const { return m_ptr != other.m_ptr; }

private:
    T* m_ptr = nullptr;
};

template <class T>
using smart_ptr = gc_ptr<T>;

template <class T>
class weak_ptr {
public:
    weak_ptr() = default;
    weak_ptr(T* p) { *this = p; }
    weak_ptr(const gc_ptr<T>& p) { *this = p.get_ptr(); }
    weak_ptr(const weak_ptr& other) { *this = other; }
    ~weak_ptr() { *this = static_cast<T*>(nullptr); }

    weak_ptr& operator=(T* p) {
        weak_proxy* proxy = p ? p->get_weak_proxy() : nullptr;
        if (proxy != m_proxy) {
            if (proxy) proxy->add_ref();
            if (m_proxy) m_proxy->drop_ref();
            m_proxy = proxy;
        }
        m_ptr = p;
        return *this;
    }
    weak_ptr& operator=(const gc_ptr<T>& p) { return *this = p.get_ptr(); }
    weak_ptr& operator=(const weak_ptr& other) {
        if (this != &other) *this = other.get_ptr();
        return *this;
    }

    // Null once the object died; the dead proxy is released on the way.
    T* get_ptr() const {
        check_proxy();
        return m_ptr;
    }
    T* operator->() const { return get_ptr(); }
    T& operator*() const { return *get_ptr(); }
    operator T*() const { return get_ptr(); }
    friend bool operator==(const weak_ptr& w, T* p) { return w.get_ptr() == p; }
    friend bool operator==(T* p, const weak_ptr& w) { return w.get_ptr() == p; }
    friend bool operator!=(const weak_ptr& w, T* p) { return w.get_ptr() != p; }
    friend bool operator!=(T* p, const weak_ptr& w) { return w.get_ptr() != p; }

private:
    // Inline: every read of a weak link asks it; letting a dead proxy go is rare.
    [[gnu::always_inline]] void check_proxy() const {
        if (m_proxy && !m_proxy->is_alive()) forget_dead_object();
    }
    [[gnu::noinline]] void forget_dead_object() const {
        m_proxy->drop_ref();
        m_proxy = nullptr;
        m_ptr = nullptr;
    }

    mutable weak_proxy* m_proxy = nullptr;
    mutable T* m_ptr = nullptr;
};

}  // namespace flash
