#include "levels/clip_owner.h"

#include <unordered_set>

#include "flash/runtime/character.h"
#include "levels/base_element.h"
#include "levels/base_level.h"

namespace levels {

namespace {

// Levels and elements are made and deleted on the main thread only.
std::unordered_set<const ClipOwner*>& liveOwners() {
    static std::unordered_set<const ClipOwner*> owners;
    return owners;
}

}  // namespace

ClipOwner::ClipOwner(Kind kind) : m_kind(kind) { liveOwners().insert(this); }

ClipOwner::ClipOwner(const ClipOwner& other) : GameObject(other), m_kind(other.m_kind) { liveOwners().insert(this); }

ClipOwner::~ClipOwner() { liveOwners().erase(this); }

void ClipOwner::setOwnerOf(flash::character* ch, ClipOwner* owner) {
    if (ch) ch->set_owner(owner);
}

ClipOwner* ClipOwner::liveOwner(const flash::character* ch) {
    if (!ch) return nullptr;
    auto* owner = static_cast<const ClipOwner*>(ch->get_owner());
    if (!owner || !liveOwners().count(owner)) return nullptr;
    return const_cast<ClipOwner*>(owner);
}

BaseLevel* ClipOwner::levelOf(const flash::character* ch) {
    ClipOwner* owner = liveOwner(ch);
    return owner && owner->m_kind == Kind::Level ? static_cast<BaseLevel*>(owner) : nullptr;
}

BaseElement* ClipOwner::elementOf(const flash::character* ch) {
    ClipOwner* owner = liveOwner(ch);
    return owner && owner->m_kind == Kind::Element ? static_cast<BaseElement*>(owner) : nullptr;
}

}  // namespace levels
