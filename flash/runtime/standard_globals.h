#pragma once
// The standard members of the global object and the shared builtin method tables of Object,
// Number, Boolean and String: one list that every engine instance fills its global object from.
// The movie side's player brings its own constructors, which take their places in the list.
#include "flash/runtime/as_function.h"

namespace flash {

class as_object;
class engine_instance;

// The global constructors that the movie side brings. An engine instance without the movie
// library leaves them null, and its global object lacks them.
struct movie_constructors {
    as_c_function_ptr movie_clip = nullptr;
    as_c_function_ptr movie_clip_loader = nullptr;
    as_c_function_ptr text_field = nullptr;
};

// Sets the standard members of global, whose functions owner owns, in the order scripts
// enumerate them; "$version" comes last, a getter-only property that enumeration does not list.
void set_standard_globals(engine_instance* owner, as_object* global,
                          const movie_constructors& movie);

// Fills the shared builtin tables of Object, Number, Boolean and String (engine_instance's
// get_builtin), which the first engine instance does.
void set_standard_builtins();

}  // namespace flash
