#pragma once
// A flags word whose changes may call back into an owner.

namespace Tov {

template <class T>
class FlagObject {
public:
    virtual ~FlagObject() = default;

    // Sets (on) or clears (off) the bits of mask; returns the new word.
    virtual T setFlag(T mask, bool on) {
        m_flags = on ? static_cast<T>(m_flags | mask) : static_cast<T>(m_flags & ~mask);
        return m_flags;
    }
    T getFlags() const { return m_flags; }
    bool anyFlag(T mask) const { return (m_flags & mask) != 0; }
    bool allFlags(T mask) const { return (m_flags & mask) == mask; }

protected:
    T m_flags = 0;
};

// Calls owner->*callback(mask, on) only when setFlag actually changed the word.
template <class Owner, class T>
class FlagObjectCB : public FlagObject<T> {
public:
    using Callback = void (Owner::*)(T mask, bool on);

    FlagObjectCB() = default;
    FlagObjectCB(Owner* owner, Callback callback) : m_owner(owner), m_callback(callback) {}

    void setFlagCallback(Owner* owner, Callback callback) {
        m_owner = owner;
        m_callback = callback;
    }

    T setFlag(T mask, bool on) override {
        T before = this->m_flags;
        T after = FlagObject<T>::setFlag(mask, on);
        if (after != before && m_owner && m_callback) (m_owner->*m_callback)(mask, on);
        return after;
    }

private:
    Owner* m_owner = nullptr;
    Callback m_callback = nullptr;
};

}  // namespace Tov
