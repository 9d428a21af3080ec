#pragma once
// The engine-wide registry that hands every tag of a movie or sprite (except ShowFrame) to the
// loader registered for its type, the tag loop both kinds of definition run, and the loaders that
// belong to no other reader: background colour, frame labels, file attributes, symbol classes,
// scenes, and the tags that are read and dropped.
#include "flash/runtime/action_tags.h"
#include "flash/shape/geometry.h"

namespace flash {

class movie_definition_sub;
class swf_stream;

// SWF tag codes the loop and the loaders name.
enum swf_tag_code {
    TAG_END = 0,
    TAG_SHOW_FRAME = 1,
    TAG_DEFINE_SHAPE = 2,
    TAG_PLACE_OBJECT = 4,
    TAG_REMOVE_OBJECT = 5,
    TAG_DEFINE_BITS = 6,
    TAG_JPEG_TABLES = 8,
    TAG_DEFINE_BUTTON = 7,
    TAG_SET_BACKGROUND_COLOR = 9,
    TAG_DEFINE_TEXT = 11,
    TAG_DO_ACTION = 12,
    TAG_DEFINE_SOUND = 14,
    TAG_START_SOUND = 15,
    TAG_DEFINE_BUTTON_SOUND = 17,
    TAG_SOUND_STREAM_HEAD = 18,
    TAG_SOUND_STREAM_BLOCK = 19,
    TAG_DEFINE_BITS_LOSSLESS = 20,
    TAG_DEFINE_BITS_JPEG2 = 21,
    TAG_DEFINE_SHAPE2 = 22,
    TAG_PROTECT = 24,
    TAG_PLACE_OBJECT2 = 26,
    TAG_DEFINE_SHAPE3 = 32,
    TAG_DEFINE_TEXT2 = 33,
    TAG_DEFINE_BUTTON2 = 34,
    TAG_REMOVE_OBJECT2 = 28,
    TAG_DEFINE_BITS_JPEG3 = 35,
    TAG_DEFINE_BITS_LOSSLESS2 = 36,
    TAG_DEFINE_EDIT_TEXT = 37,
    TAG_DEFINE_SPRITE = 39,
    TAG_FRAME_LABEL = 43,
    TAG_SOUND_STREAM_HEAD2 = 45,
    TAG_DEFINE_MORPH_SHAPE = 46,
    TAG_EXPORT_ASSETS = 56,
    TAG_IMPORT_ASSETS = 57,
    TAG_ENABLE_DEBUGGER = 58,
    TAG_DO_INIT_ACTION = 59,
    TAG_ENABLE_DEBUGGER2 = 64,
    TAG_SET_TAB_INDEX = 66,
    TAG_FILE_ATTRIBUTES = 69,
    TAG_PLACE_OBJECT3 = 70,
    TAG_CSM_TEXT_SETTINGS = 74,
    TAG_SYMBOL_CLASS = 76,
    TAG_METADATA = 77,
    TAG_DO_ABC = 82,
    TAG_DEFINE_SHAPE4 = 83,
    TAG_DEFINE_MORPH_SHAPE2 = 84,
    TAG_DEFINE_SCENE_AND_FRAME_LABEL_DATA = 86,
    TAG_DEFINE_FONT_NAME = 88,
};

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
