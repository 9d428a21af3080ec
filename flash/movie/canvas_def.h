#pragma once
// A movie clip's run-time drawing as a definition of its own: the clip shows it as a child
// character, drawn, bounded and hit-tested like any shape.
#include "flash/movie/shape_def.h"
#include "flash/shape/canvas.h"

namespace flash {

class canvas_def : public shape_def {
public:
    canvas_def() : canvas_def(new canvas) {}

    bool is(int class_id) const override { return class_id == CANVAS || character_def::is(class_id); }
    canvas* get_canvas() const { return m_canvas; }

private:
    explicit canvas_def(canvas* c) : shape_def(c), m_canvas(c) {}

    canvas* m_canvas;  // held through the shape
};

}  // namespace flash
