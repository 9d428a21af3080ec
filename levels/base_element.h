#pragma once
// A game object of a level bound to a named clip of the level's movie: a hidden object, a door to
// a minilevel, a piece of scenery, an item carried on the cursor or a minigame piece. It holds six
// event scripts, an optional particle effect, a queue of animations played one at a time, and the
// transforms scripts attach to it.
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/flag_object.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "levels/clip_owner.h"
#include "script/bound_object.h"

namespace particle {
class fxParticleEffect2D;
}
namespace ScriptBinding {
struct ClassDescriptor;
}

class BaseLevel;

// Event ids of an element's scripts (the script constants of the same names).
enum ElementScriptId : int {
    eiLeftClick = 0,
    eiRightClick = 1,
    eiRollOver = 2,
    eiRollOut = 3,
    eiPlayingEnd = 4,
    eiUpdate = 5,  // the name of a function called every frame with the element and the step
};

// One queued animation of an element's clip. Translations in twips, angles in radians.
struct ElementAnimation {
    flash::matrix startMatrix;
    flash::matrix targetMatrix;
    flash::cxform startColour;
    flash::cxform targetColour;
    std::string endScript;
    float duration = 0.0f;
    float elapsed = 0.0f;
    bool deltasFromTarget = false;
    bool colourAnimation = false;
    float dx = 0.0f;
    float dy = 0.0f;
    float rotationDelta = 0.0f;
    float scaleDelta = 0.0f;
};

// A motion that scripts attach to an element. Elements keep and copy them; no frame step applies
// them (nothing reads a result).
class ElementTransform : public Tov::FlagObject<unsigned char> {
public:
    static constexpr unsigned char kStarted = 0x01;
    static constexpr unsigned char kAbsoluteTarget = 0x02;

    unsigned char setFlag(unsigned char mask, bool on) override { return FlagObject::setFlag(mask, on); }

    flash::matrix startMatrix;
    flash::matrix targetMatrix;  // its translation is the absolute target
    flash::cxform startColour;
    flash::cxform targetColour;
    std::string endScript;
    float duration = 1.0f;
    float elapsed = 0.0f;
    float deltaX = 0.0f;  // twips
    float deltaY = 0.0f;
    float reserved[2] = {0.0f, 0.0f};
    float mAcceleration[3] = {0.0f, 0.0f, 0.0f};
    float mSpeed[3] = {0.0f, 0.0f, 0.0f};

    static ScriptBinding::ClassDescriptor* scriptClass();
};

class BaseElement : public script::BoundObject, public levels::ClipOwner {
public:
    // Kinds the level base makes; the level kinds add their own.
    static constexpr int kKindHidden = 0;
    static constexpr int kKindOpenAnimation = 1;
    static constexpr int kKindNotGame = 2;
    static constexpr int kKindInventoryOnCursor = 7;
    static constexpr int kKindMinilevelDoor = 10;
    static constexpr int kKindKeptAtEnd = 13;  // with kind 0, keeps its clip's callbacks at the level's end
    static constexpr int kScriptCount = 6;

    BaseElement(int kind, const std::string& name, const std::string& targetName);
    // Copies every field but the running effect, which stays with the original; the listener
    // becomes a second reference to the same function.
    BaseElement(const BaseElement& other);
    BaseElement& operator=(const BaseElement&) = delete;
    // Removes an owned clip from its parent and stops the element's effect.
    ~BaseElement() override;

    virtual bool isAvailable() const { return true; }

    int getKind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    const std::string& getName() const { return m_name; }
    const std::string& getTargetName() const { return m_targetName; }
    void setTargetName(const std::string& text) { m_targetName = text; }
    const std::string& getExtra() const { return m_extra; }
    void setExtra(const std::string& text) { m_extra = text; }

    // False, and nothing stored, for an id outside 0 to 5.
    bool setScriptCallback(int eventId, const std::string& text);
    // The script of the id; empty for an id outside 0 to 5.
    const std::string& getScript(int eventId) const;
    // Runs script 0 to 4 as a chunk when it is not empty; true when one ran.
    bool runScript(int eventId) const;

    BaseLevel* getLevel() const { return m_level; }
    void setLevel(BaseLevel* level) { m_level = level; }

    // Null once the clip is gone.
    flash::character* getCharacter() const { return m_character.get_ptr(); }
    // Stores the clip; a clip gets the end-of-animation callback and this element as its owner.
    void setCharacter(flash::character* ch);
    bool ownsCharacter() const { return m_ownsCharacter; }
    void setOwnsCharacter(bool owns) { m_ownsCharacter = owns; }

    // Stops a running effect; a non-empty name starts that effect at the clip (none without one).
    void setEffect(const std::string& name);
    particle::fxParticleEffect2D* getEffect() const { return m_effect; }
    // Stops and forgets the effect (the level's step does this once it has finished).
    void stopEffect();

    // Queues an animation (the element owns it from now on); null is ignored.
    void addAnimation(ElementAnimation* animation);
    size_t animationCount() const { return m_animations.size(); }
    const ElementAnimation* currentAnimation() const {
        return m_animations.empty() ? nullptr : m_animations.front().get();
    }
    void clearAnimations() { m_animations.clear(); }
    // Plays the first queued animation by dt seconds; true while an animation played.
    bool updateAnimation(float dt);
    // Moves the effect with the clip and calls the update script function.
    void updateFollowers(float dt);

    void addTransform(const ElementTransform& transform) { m_transforms.push_back(transform); }
    void clearTransforms() { m_transforms.clear(); }
    const std::vector<ElementTransform>& getTransforms() const { return m_transforms; }

    int listenerRef() const { return m_listenerRef; }

    // The end-of-animation callback of element clips: runs the owner element's script 4.
    static void endAnimCallback(flash::character* ch);

    static ScriptBinding::ClassDescriptor* scriptClass();

private:
    static void onEffectDone(void* context, particle::fxParticleEffect2D* effect);

    std::deque<std::unique_ptr<ElementAnimation>> m_animations;
    int m_kind;
    std::string m_name;
    std::string m_targetName;
    std::string m_extra;
    std::array<std::string, kScriptCount> m_scripts;
    int m_listenerRef = -1;
    unsigned m_listenerGeneration = 0;
    BaseLevel* m_level = nullptr;
    particle::fxParticleEffect2D* m_effect = nullptr;
    flash::weak_ptr<flash::character> m_character;
    std::vector<ElementTransform> m_transforms;
    bool m_ownsCharacter = false;
};
