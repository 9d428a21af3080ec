#pragma once
// One global instance per class, registered by construction and cleared by destruction. There is
// no lazy creation: the owner creates T explicitly and readers test the pointer for null.

namespace Tov {

template <class T>
class Singleton {
public:
    static T* instance() { return s_instance; }

protected:
    // T is still under construction here; the cast only adjusts the address, so the sanitizer's
    // dynamic-type check does not apply.
    __attribute__((no_sanitize("vptr"))) Singleton() { s_instance = static_cast<T*>(this); }
    virtual ~Singleton() { s_instance = nullptr; }
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

private:
    static inline T* s_instance = nullptr;
};

}  // namespace Tov
