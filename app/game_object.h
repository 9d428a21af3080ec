#pragma once
// The game objects a movie clip can belong to (levels and their elements): a clip's owner field
// points at one. The sound callback asks an element whether it is still available; an owner
// field left pointing at an object that is gone reads as no owner.
#include <unordered_set>

class GameObject {
public:
    GameObject() { live().insert(this); }
    GameObject(const GameObject&) { live().insert(this); }
    GameObject& operator=(const GameObject&) { return *this; }
    virtual ~GameObject() { live().erase(this); }
    // False for an element that no longer plays its clip's sounds (found, served or hidden).
    virtual bool isAvailable() const { return true; }

    // The owner field's object when it is a live game object, else null. Main thread only.
    static const GameObject* fromOwner(const void* owner) {
        const auto* object = static_cast<const GameObject*>(owner);
        return owner && live().count(object) ? object : nullptr;
    }

private:
    static std::unordered_set<const GameObject*>& live() {
        static std::unordered_set<const GameObject*> objects;
        return objects;
    }
};
