#pragma once
// The game objects a movie clip can belong to (levels and their elements): a clip's owner field
// points at one. The sound callback asks an element whether it is still available.
class GameObject {
public:
    virtual ~GameObject() = default;
    // False for an element that no longer plays its clip's sounds (found, served or hidden).
    virtual bool isAvailable() const { return true; }
};
