#pragma once
// The shape a movie clip draws at run time: styles and paths built by drawing calls instead of
// read from a tag. Every change empties the mesh cache, so the next display tesselates again
// through the same bounded flattening as any shape. Coordinates are twips.
#include "flash/shape/shape_character_def.h"

namespace flash {

class canvas : public shape_character_def {
public:
    canvas();

    // A solid fill from here on: the outline drawn so far is closed and a new style group starts.
    void begin_fill(const rgba& color);
    void end_fill();
    void set_line_style(uint16_t width, const rgba& color);
    // Edges from here on are not stroked.
    void clear_line_style();
    void move_to(float x, float y);
    void line_to(float x, float y);
    void curve_to(float cx, float cy, float ax, float ay);

    float get_pen_x() const { return m_pen_x; }
    float get_pen_y() const { return m_pen_y; }
    int get_current_fill() const { return m_current_fill; }
    int get_current_line() const { return m_current_line; }
    int get_current_path() const { return m_current_path; }

private:
    void start_path(bool new_shape);
    void close_path();
    // The bound grows by each path's start and each edge's anchor (control points left out).
    void add_edge(const edge& e);

    float m_pen_x = 0.0f;
    float m_pen_y = 0.0f;
    int m_current_fill = 0;
    int m_current_line = 0;
    int m_current_path = -1;
};

// A script's pixel coordinate as twips: NaN gives 0, and values past the float range stop at
// its ends.
float pixels_to_canvas_twips(double pixels);

}  // namespace flash
