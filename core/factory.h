#pragma once
// Creators registered under a key; the factory asks the creator of a key for a new object.
// Creators are static objects that outlive the factory, which only points at them.
#include <map>

namespace Tov {

template <class Key, class Base, class Creator>
class Factory {
public:
    // A later registration under the same key replaces the earlier one.
    void registerCreator(const Key& key, const Creator* creator) { m_creators[key] = creator; }
    // Null for an unknown key.
    const Creator* getCreator(const Key& key) const {
        auto it = m_creators.find(key);
        return it == m_creators.end() ? nullptr : it->second;
    }
    // A new object from the key's creator; null for an unknown key or a failed creation.
    Base* create(const Key& key) const {
        const Creator* creator = getCreator(key);
        return creator ? creator->create() : nullptr;
    }

private:
    std::map<Key, const Creator*> m_creators;
};

}  // namespace Tov
