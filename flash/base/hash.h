#pragma once
// The engine's open-addressing hash table with in-table collision chains. One table block holds
// the entry count, the size mask and the slots; a slot is empty (next -2), the end of a chain
// (next -1) or links to the next slot of its chain. An erased chain head that still links a chain
// stays as a tombstone (hash 0xFFFFFFFF) until a key of that chain reuses it.
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "flash/base/bx_memory.h"
#include "flash/base/bx_string.h"
#include "flash/base/log.h"

namespace flash {

// h = 5381; for each byte from the last to the first: h = (h * 33) xor byte.
inline uint32_t bx_hash_bytes(const void* data, int size, uint32_t seed = 5381) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t h = seed;
    while (size-- > 0) h = (h * 33) ^ p[size];
    return h;
}

struct bx_string_hash {
    uint32_t operator()(const bx_string& s) const { return bx_hash_bytes(s.c_str(), s.size()); }
};

// The same over the ASCII lower case of every byte, independent of the locale.
// A prepared name brings it along.
struct bx_stringi_hash {
    uint32_t operator()(const bx_stringi& s) const { return s.to_bx_string().folded_hash(); }
};

// For keys hashed by their bytes (ints, pointers, counted pointers): h = 5381; for each byte of
// the key from the last (most significant) to the first: h = h * 65599 + byte.
template <class T>
struct fixed_size_hash {
    uint32_t operator()(const T& key) const {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(&key);
        uint32_t h = 5381;
        for (size_t i = sizeof(T); i-- > 0;) h = h * 65599 + p[i];
        return h;
    }
};

template <class K>
struct default_hash {
    using type = fixed_size_hash<K>;
};
template <>
struct default_hash<bx_string> {
    using type = bx_string_hash;
};
template <>
struct default_hash<bx_stringi> {
    using type = bx_stringi_hash;
};

template <class K, class V, class H = typename default_hash<K>::type>
class hash {
public:
    static constexpr uint32_t tombstone_hash = 0xFFFFFFFFu;
    static constexpr uint32_t replacement_hash = 0xFFFF7FFFu;
    static constexpr int min_slots = 16;
    // Largest slot count a table may reach; growth past it is refused and logged.
    static constexpr int max_slots = 1 << 26;

    struct entry {
        int next_in_chain;
        uint32_t hash_value;
        alignas(K) unsigned char key_bytes[sizeof(K)];
        alignas(V) unsigned char value_bytes[sizeof(V)];

        bool is_empty() const { return next_in_chain == -2; }
        bool is_tombstone() const { return hash_value == tombstone_hash; }
        bool is_live() const { return !is_empty() && !is_tombstone(); }
        K& key() { return *std::launder(reinterpret_cast<K*>(key_bytes)); }
        const K& key() const { return *std::launder(reinterpret_cast<const K*>(key_bytes)); }
        V& value() { return *std::launder(reinterpret_cast<V*>(value_bytes)); }
        const V& value() const { return *std::launder(reinterpret_cast<const V*>(value_bytes)); }
    };

    template <class Owner, class Entry>
    class iterator_base {
    public:
        iterator_base(Owner* owner, int index) : m_owner(owner), m_index(index) {}
        Entry& operator*() const { return m_owner->entry_at(m_index); }
        Entry* operator->() const { return &m_owner->entry_at(m_index); }
        auto& get_key() const { return m_owner->entry_at(m_index).key(); }
        auto& get_value() const { return m_owner->entry_at(m_index).value(); }
        int get_index() const { return m_index; }
        iterator_base& operator++() {
            m_index = m_owner->next_live(m_index + 1);
            return *this;
        }
        bool is_end() const { return m_index > m_owner->slot_mask(); }
        // Two ends are equal whatever their table.
        bool operator==(const iterator_base& other) const {
            if (is_end() && other.is_end()) return true;
            return m_owner == other.m_owner && m_index == other.m_index;
        }
        bool operator!=(const iterator_base& other) const { return !(*this == other); }

    private:
        friend class hash;
        Owner* m_owner;
        int m_index;
    };
    using iterator = iterator_base<hash, entry>;
    using const_iterator = iterator_base<const hash, const entry>;

    hash() = default;
    hash(const hash& other) { *this = other; }
    hash(hash&& other) noexcept : m_table(other.m_table) {
        other.m_table = nullptr;
        ++other.m_layout_version;
    }
    ~hash() { clear(); }

    hash& operator=(const hash& other) {
        if (this == &other) return *this;
        clear();
        if (other.m_table) {
            set_raw_capacity(other.slot_mask() + 1);
            for (int i = 0; i <= other.slot_mask(); ++i) {
                const entry& e = other.entry_at(i);
                if (e.is_live()) add(e.key(), e.value());
            }
        }
        return *this;
    }
    hash& operator=(hash&& other) noexcept {
        if (this != &other) {
            clear();
            std::swap(m_table, other.m_table);
            ++m_layout_version;
            ++other.m_layout_version;
        }
        return *this;
    }

    // Inserts without looking for the key: the caller knows it is absent.
    void add(const K& key, const V& value) {
        check_expand();
        if (!m_table) return;
        insert_hashed(key_hash(key), key, value);
    }

    // Replaces the value of an existing key, else adds it.
    void set(const K& key, const V& value) {
        const int index = find_index(key);
        if (index >= 0) {
            entry_at(index).value() = value;
        } else {
            add(key, value);
        }
    }

    // True (and the value copied to *out when out is given) when the key is present.
    bool get(const K& key, V* out) const {
        const int index = find_index(key);
        if (index < 0) return false;
        if (out) *out = entry_at(index).value();
        return true;
    }

    // The slot index of the key, or -1.
    int find_index(const K& key) const { return m_table ? find_index(key, key_hash(key)) : -1; }
    // The same for a key whose key_hash() the caller already has (one name looked up in several
    // tables is hashed once).
    int find_index(const K& key, uint32_t h) const {
        if (!m_table) return -1;
        int index = static_cast<int>(h & static_cast<uint32_t>(slot_mask()));
        const entry* e = &entry_at(index);
        if (e->is_empty()) return -1;
        if (!e->is_tombstone() && static_cast<int>(e->hash_value & slot_mask()) != index) return -1;
        for (;;) {
            if (e->hash_value == h && e->key() == key) return index;
            if (e->next_in_chain == -1) return -1;
            index = e->next_in_chain;
            e = &entry_at(index);
        }
    }

    // Changes with every insertion, removal and rebuild: while it stays, every key keeps its
    // index, so a lookup remembered as an index needs no probe.
    uint32_t layout_version() const { return m_layout_version; }
    // Whether the live entry at index holds key (stored under hash h): a lookup remembered as an
    // index is checked with this instead of probing again.
    bool holds_key_at(int index, const K& key, uint32_t h) const {
        if (index < 0 || index > slot_mask()) return false;
        const entry& e = entry_at(index);
        return e.is_live() && e.hash_value == h && e.key() == key;
    }

    iterator find(const K& key) {
        const int index = find_index(key);
        return index < 0 ? end() : iterator(this, index);
    }
    const_iterator find(const K& key) const {
        const int index = find_index(key);
        return index < 0 ? end() : const_iterator(this, index);
    }

    void erase(const iterator& it) {
        if (it.m_owner == this && !it.is_end() && entry_at(it.m_index).is_live()) erase_at(it.m_index);
    }
    bool erase(const K& key) {
        const int index = find_index(key);
        if (index < 0) return false;
        erase_at(index);
        return true;
    }

    // Releases every live entry and frees the table.
    void clear() {
        if (!m_table) return;
        ++m_layout_version;
        for (int i = 0; i <= slot_mask(); ++i) {
            entry& e = entry_at(i);
            if (e.is_live()) destroy(e);
        }
        bx_free(m_table);
        m_table = nullptr;
    }

    // Makes room for n entries without growth.
    void resize(int n) {
        const long long wanted = n > size() ? n : size();
        set_raw_capacity(static_cast<int>(wanted * 3 / 2 > max_slots ? max_slots : wanted * 3 / 2));
    }

    // Rebuilds the table with the smallest power of two of at least n slots (at least 16); a
    // count of 0 or less empties it.
    void set_raw_capacity(int n) {
        if (n <= 0) {
            clear();
            return;
        }
        if (n > max_slots) {
            log_error("error: hash::set_raw_capacity(): %d slots refused\n", n);
            return;
        }
        int slots = min_slots;
        while (slots < n) slots *= 2;
        if (m_table && slots == slot_mask() + 1) return;
        rebuild(slots);
    }

    int size() const { return m_table ? m_table->entry_count : 0; }
    bool is_empty() const { return size() == 0; }
    // Slot count; 0 without a table.
    int slot_count() const { return m_table ? slot_mask() + 1 : 0; }

    iterator begin() { return iterator(this, next_live(0)); }
    iterator end() { return iterator(this, slot_mask() + 1); }
    const_iterator begin() const { return const_iterator(this, next_live(0)); }
    const_iterator end() const { return const_iterator(this, slot_mask() + 1); }

    // The hash under which a key is stored (0xFFFFFFFF is replaced, never stored for a live entry).
    static uint32_t key_hash(const K& key) {
        const uint32_t h = H()(key);
        return h == tombstone_hash ? replacement_hash : h;
    }

    entry& entry_at(int index) { return entries()[index]; }
    const entry& entry_at(int index) const { return entries()[index]; }

private:
    struct table {
        int entry_count;
        int size_mask;
    };
    static constexpr size_t header_size = (sizeof(table) + alignof(entry) - 1) / alignof(entry) * alignof(entry);

    entry* entries() { return reinterpret_cast<entry*>(reinterpret_cast<char*>(m_table) + header_size); }
    const entry* entries() const {
        return reinterpret_cast<const entry*>(reinterpret_cast<const char*>(m_table) + header_size);
    }
    int slot_mask() const { return m_table ? m_table->size_mask : -1; }

    int next_live(int index) const {
        const int mask = slot_mask();
        while (index <= mask && !entry_at(index).is_live()) ++index;
        return index;
    }

    static void destroy(entry& e) {
        e.key().~K();
        e.value().~V();
        e.next_in_chain = -2;
        e.hash_value = 0;
    }

    // Moves a live entry's contents into an empty slot, leaving the source destroyed.
    static void move_entry(entry& to, entry& from) {
        new (to.key_bytes) K(std::move(from.key()));
        new (to.value_bytes) V(std::move(from.value()));
        to.next_in_chain = from.next_in_chain;
        to.hash_value = from.hash_value;
        from.key().~K();
        from.value().~V();
    }

    void check_expand() {
        if (!m_table) {
            set_raw_capacity(min_slots);
        } else if (static_cast<long long>(m_table->entry_count) * 3 >
                   static_cast<long long>(slot_mask() + 1) * 2) {
            set_raw_capacity((slot_mask() + 1) * 2);
        }
    }

    bool rebuild(int slots) {
        ++m_layout_version;
        table* fresh =
            static_cast<table*>(bx_alloc(header_size + static_cast<size_t>(slots) * sizeof(entry)));
        if (!fresh) {
            log_error("error: hash: out of memory for %d slots\n", slots);
            return false;
        }
        fresh->entry_count = 0;
        fresh->size_mask = slots - 1;
        table* old = m_table;
        const int old_mask = slot_mask();
        m_table = fresh;
        for (int i = 0; i < slots; ++i) {
            entry_at(i).next_in_chain = -2;
            entry_at(i).hash_value = 0;
        }
        if (old) {
            entry* old_entries =
                reinterpret_cast<entry*>(reinterpret_cast<char*>(old) + header_size);
            for (int i = 0; i <= old_mask; ++i) {
                entry& e = old_entries[i];
                if (!e.is_live()) continue;
                insert_hashed(e.hash_value, std::move(e.key()), std::move(e.value()));
                destroy(e);
            }
            bx_free(old);
        }
        return true;
    }

    template <class KK, class VV>
    void insert_hashed(uint32_t h, KK&& key, VV&& value) {
        ++m_layout_version;
        const int mask = slot_mask();
        const int index = static_cast<int>(h & static_cast<uint32_t>(mask));
        entry* natural = &entry_at(index);

        if (natural->is_empty() || natural->is_tombstone()) {
            // A reused tombstone keeps its link, so the chain through it stays intact.
            const int next = natural->is_empty() ? -1 : natural->next_in_chain;
            construct(*natural, next, h, std::forward<KK>(key), std::forward<VV>(value));
            ++m_table->entry_count;
            return;
        }

        int blank = index;
        int steps = 0;
        do {
            blank = (blank + 1) & mask;
        } while (!entry_at(blank).is_empty() && ++steps <= mask);
        if (!entry_at(blank).is_empty()) {
            // Only tombstones fill the rest: rebuilding the table drops them.
            K k(std::forward<KK>(key));
            V v(std::forward<VV>(value));
            if (rebuild(mask + 1)) insert_hashed(h, std::move(k), std::move(v));
            return;
        }

        entry* blank_entry = &entry_at(blank);
        const int occupant_home = static_cast<int>(natural->hash_value & static_cast<uint32_t>(mask));
        if (occupant_home == index) {
            // The occupant heads this chain: it moves on, the new entry becomes the head.
            move_entry(*blank_entry, *natural);
            construct(*natural, blank, h, std::forward<KK>(key), std::forward<VV>(value));
        } else {
            // The occupant belongs to another chain: relink that chain around the blank slot.
            int link = occupant_home;
            while (entry_at(link).next_in_chain != index) link = entry_at(link).next_in_chain;
            move_entry(*blank_entry, *natural);
            entry_at(link).next_in_chain = blank;
            construct(*natural, -1, h, std::forward<KK>(key), std::forward<VV>(value));
        }
        ++m_table->entry_count;
    }

    template <class KK, class VV>
    static void construct(entry& e, int next, uint32_t h, KK&& key, VV&& value) {
        new (e.key_bytes) K(std::forward<KK>(key));
        new (e.value_bytes) V(std::forward<VV>(value));
        e.next_in_chain = next;
        e.hash_value = h;
    }

    void erase_at(int i) {
        ++m_layout_version;
        entry& e = entry_at(i);
        const int home = static_cast<int>(e.hash_value & static_cast<uint32_t>(slot_mask()));
        if (home == i) {
            if (e.next_in_chain != -1) {
                e.key().~K();
                e.value().~V();
                e.hash_value = tombstone_hash;
            } else {
                destroy(e);
            }
        } else {
            int link = home;
            while (entry_at(link).next_in_chain != i) link = entry_at(link).next_in_chain;
            entry_at(link).next_in_chain = e.next_in_chain;
            destroy(e);
        }
        --m_table->entry_count;
    }

    table* m_table = nullptr;
    uint32_t m_layout_version = 0;
};

// A hash keyed by case-insensitive engine strings.
template <class V>
using stringi_hash = hash<bx_stringi, V, bx_stringi_hash>;

}  // namespace flash
