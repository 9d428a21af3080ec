#pragma once
// The engine-wide registry that hands every tag of a movie or sprite (except ShowFrame) to the
// loader registered for its type, the tag loop both kinds of definition run, and the loaders that
// belong to no other reader: background colour, frame labels, file attributes, symbol classes,
// scenes, and the tags that are read and dropped.
#include "flash/runtime/action_tags.h"
#include "flash/shape/geometry.h"
#include "flash/swf/tag_codes.h"

namespace flash {

class movie_definition_sub;
class swf_stream;

typedef void (*tag_loader)(swf_stream* in, int tag_type, movie_definition_sub* m);

// The character id that starts a definition tag, logged with the loader's name under verbose
// parsing; false (with an ERROR) when the tag ends before it.
bool read_defined_id(swf_stream* in, int tag_type, const char* loader_name, int* id);

// Fills the registry on the first call only; safe from several loader threads.
void register_tag_loaders();
void register_tag_loader(int type, tag_loader loader);
// True (and the loader in out, when given) when the type is registered.
bool get_tag_loader(int type, tag_loader* out);
// Empties the registry (the last engine instance going away).
void clear_tag_loaders();

// Reads tags up to end into m: ShowFrame moves to the next frame, every other tag goes to its
// loader, unknown tags are logged and skipped by their length. A sprite's loop refuses nested
// sprites. Stops at a refused tag header, a cut file, or the definition's break flag; a movie's
// loop also stops at an End tag before the end (with a warning). Returns the position reached.
int read_tag_loop(swf_stream* in, movie_definition_sub* m, int end, bool in_sprite);

// The SetBackgroundColor frame tag: its colour becomes the background of the target's root,
// under the alpha the host gave that background.
class set_background_color : public execute_tag {
public:
    void read(swf_stream* in);
    void execute(character* target) override;
    void apply_state(character* target) override { execute(target); }
    const rgba& get_color() const { return m_color; }

private:
    rgba m_color;
};

}  // namespace flash
