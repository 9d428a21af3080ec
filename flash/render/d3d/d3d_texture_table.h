#pragma once
// The Direct3D handler's textures by id, and the ids made under each movie's name. Every use is
// under one lock, so loader threads can add textures while the drawing thread reads them. Each
// slot counts the textures it has held: a bitmap remembers the count its texture was made under,
// and once the slot was cleared or given to another bitmap the old bitmap finds nothing. A bitmap
// that goes releases its texture, so textures nothing can draw any more never pile up.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/graphics/d3d9.h"

namespace flash {

// A slot as one bitmap knows it; id -1 is a bitmap without a texture.
struct texture_ticket {
    int id = -1;
    uint32_t generation = 0;
};

class d3d_texture_table {
public:
    d3d_texture_table() = default;
    ~d3d_texture_table();
    d3d_texture_table(const d3d_texture_table&) = delete;
    d3d_texture_table& operator=(const d3d_texture_table&) = delete;

    // Takes the lowest free slot (a new one past the end when none is free) for a texture that
    // is about to be made.
    texture_ticket reserve();
    // Puts the made texture in its reserved slot (the table takes the caller's reference) and
    // records its id under the owner; a null texture frees the slot again.
    void fill(const texture_ticket& ticket, IDirect3DTexture9* texture, const std::string& owner);
    // The texture of a bitmap with one added reference; null when the slot no longer holds it.
    IDirect3DTexture9* acquire(const texture_ticket& ticket);
    // The slot's texture without a reference (null outside the table or for a free slot).
    IDirect3DTexture9* get(int id);
    // Releases the bitmap's texture and frees its slot, when the slot still holds it (its
    // owner keeps its name, so clearing it later logs as before).
    void release(const texture_ticket& ticket);
    int count();
    // Releases the owner's textures and forgets the owner, giving the ids it released; false
    // when the owner is unknown.
    bool clear_owner(const std::string& owner, std::vector<int>& destroyed);
    // Releases every texture (the handler is going away).
    void release_all();

private:
    struct slot {
        IDirect3DTexture9* texture = nullptr;
        uint32_t generation = 0;
        bool reserved = false;  // a texture is being made for it
        std::string owner;
    };
    std::mutex m_mutex;
    std::vector<slot> m_slots;
    std::map<std::string, std::vector<int>> m_owners;
};

}  // namespace flash
