#include "flash/render/d3d/d3d_texture_table.h"

namespace flash {

d3d_texture_table::~d3d_texture_table() { release_all(); }

texture_ticket d3d_texture_table::reserve() {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t id = 0;
    while (id < m_slots.size() && (m_slots[id].texture || m_slots[id].reserved)) ++id;
    if (id == m_slots.size()) m_slots.emplace_back();
    slot& s = m_slots[id];
    s.reserved = true;
    ++s.generation;
    return {static_cast<int>(id), s.generation};
}

void d3d_texture_table::fill(const texture_ticket& ticket, IDirect3DTexture9* texture, const std::string& owner) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (ticket.id < 0 || ticket.id >= static_cast<int>(m_slots.size())) {
        if (texture) texture->Release();
        return;
    }
    slot& s = m_slots[ticket.id];
    s.reserved = false;
    if (!texture) return;
    s.texture = texture;
    s.owner = owner;
    m_owners[owner].push_back(ticket.id);
}

void d3d_texture_table::release(const texture_ticket& ticket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (ticket.id < 0 || ticket.id >= static_cast<int>(m_slots.size())) return;
    slot& s = m_slots[ticket.id];
    if (!s.texture || s.generation != ticket.generation) return;
    s.texture->Release();
    s.texture = nullptr;
    const auto it = m_owners.find(s.owner);
    if (it != m_owners.end()) std::erase(it->second, ticket.id);
}

IDirect3DTexture9* d3d_texture_table::acquire(const texture_ticket& ticket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (ticket.id < 0 || ticket.id >= static_cast<int>(m_slots.size())) return nullptr;
    const slot& s = m_slots[ticket.id];
    if (!s.texture || s.generation != ticket.generation) return nullptr;
    s.texture->AddRef();
    return s.texture;
}

IDirect3DTexture9* d3d_texture_table::get(int id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (id < 0 || id >= static_cast<int>(m_slots.size())) return nullptr;
    return m_slots[id].texture;
}

int d3d_texture_table::count() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_slots.size());
}

bool d3d_texture_table::clear_owner(const std::string& owner, std::vector<int>& destroyed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_owners.find(owner);
    if (it == m_owners.end()) return false;
    for (int id : it->second) {
        slot& s = m_slots[id];
        if (!s.texture) continue;
        destroyed.push_back(id);
        s.texture->Release();
        s.texture = nullptr;
    }
    m_owners.erase(it);
    return true;
}

void d3d_texture_table::release_all() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (slot& s : m_slots) {
        if (s.texture) s.texture->Release();
        s.texture = nullptr;
    }
    m_owners.clear();
}

}  // namespace flash
