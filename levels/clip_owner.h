#pragma once
// What a clip's owner field points at. The engine keeps the owner as an untyped pointer and the
// screens store their own objects there too, so levels and elements never cast it blindly: an
// owner counts as a level or an element only while it is a live `ClipOwner` of that kind.
#include <cstdint>

#include "app/game_object.h"

namespace flash {
class character;
}

class BaseLevel;
class BaseElement;

namespace levels {

// A game object: the engine's sound callback reads the owner field as one.
class ClipOwner : public GameObject {
public:
    enum class Kind : uint8_t { Level, Element };

    explicit ClipOwner(Kind kind);
    ClipOwner(const ClipOwner& other);
    ClipOwner& operator=(const ClipOwner&) { return *this; }
    virtual ~ClipOwner();

    Kind ownerKind() const { return m_kind; }

    // Makes the owner the clip's owner (null clears it); nothing for a null clip.
    static void setOwnerOf(flash::character* ch, ClipOwner* owner);
    // The clip's owner when it is a live owner of that kind, else null.
    static BaseLevel* levelOf(const flash::character* ch);
    static BaseElement* elementOf(const flash::character* ch);

private:
    static ClipOwner* liveOwner(const flash::character* ch);
    Kind m_kind;
};

}  // namespace levels
