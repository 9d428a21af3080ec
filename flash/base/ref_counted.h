#pragma once
// Intrusive reference counting of engine objects. A count starts at 0: the holder adds the first
// reference, and the release that brings it back to 0 deletes the object through its virtual
// destructor. Weak references go through a separately allocated proxy {count, alive flag}, made on
// the first weak reference, which outlives the object until the last weak reference lets go.
// Counts are single-threaded: an object is counted from the thread that drives the engine.

namespace flash {

namespace bx_gc {

// The root of the reference-counted hierarchy.
class gc_object_generic_base {
public:
    virtual ~gc_object_generic_base() = default;
};

template <class policy>
class gc_object_base : public gc_object_generic_base {};

class singlethreaded_refcount {
public:
    class gc_object_collector_base;
};

class singlethreaded_refcount::gc_object_collector_base
    : public gc_object_base<singlethreaded_refcount> {};

}  // namespace bx_gc

class weak_proxy {
public:
    weak_proxy() = default;
    weak_proxy(const weak_proxy&) = delete;
    weak_proxy& operator=(const weak_proxy&) = delete;

    void add_ref() { ++m_ref_count; }
    // Frees the proxy when the count reaches 0.
    void drop_ref() {
        if (--m_ref_count <= 0) delete this;
    }
    int get_ref_count() const { return m_ref_count; }
    bool is_alive() const { return m_alive; }
    void notify_object_died() { m_alive = false; }

private:
    ~weak_proxy() = default;
    int m_ref_count = 0;
    bool m_alive = true;
};

class weak_pointee_mixin {
public:
    weak_pointee_mixin() = default;
    // A copy is a new object: it gets its own proxy when it is first weakly referenced.
    weak_pointee_mixin(const weak_pointee_mixin&) {}
    weak_pointee_mixin& operator=(const weak_pointee_mixin&) { return *this; }
    virtual ~weak_pointee_mixin();

    // Creates the proxy on first use, holding one count on it for the object itself.
    weak_proxy* get_weak_proxy() const;

private:
    mutable weak_proxy* m_weak_proxy = nullptr;
};

// The base of engine objects: the reference count and the weak-reference proxy.
class ref_counted : public bx_gc::singlethreaded_refcount::gc_object_collector_base,
                    public weak_pointee_mixin {
public:
    ref_counted() = default;
    ref_counted(const ref_counted&) : gc_object_collector_base(), weak_pointee_mixin() {}
    ref_counted& operator=(const ref_counted&) { return *this; }
    ~ref_counted() override = default;

    void add_ref() const { ++m_ref_count; }
    // Deletes the object when the count reaches 0.
    void drop_ref() const {
        if (--m_ref_count == 0) delete this;
    }
    int get_ref_count() const { return m_ref_count; }

private:
    mutable int m_ref_count = 0;
};

}  // namespace flash
