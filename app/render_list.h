#pragma once
// What the application's render list and its modal panel hold: the screens and the cursor, drawn
// each frame in insertion order. The drawable base of the screens derives from it.
class RenderListItem {
public:
    virtual ~RenderListItem() = default;
    virtual bool isVisible() const = 0;
    virtual void render(float step) = 0;
};
