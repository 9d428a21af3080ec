#pragma once
// The script "TextFormat": a plain bag of text-format members ("font" to "leading") that a text
// field's setTextFormat reads. Its data are ordinary members, set only for the arguments given.
#include "flash/runtime/as_object.h"

namespace flash {

class as_textformat : public as_object {
public:
    static constexpr int cast_class_id = TEXT_FORMAT;

    explicit as_textformat(engine_instance* owner) : as_object(owner) {}

    bool is(int class_id) const override { return class_id == TEXT_FORMAT || class_id == OBJECT; }
};

// "TextFormat"(font, size, color, ...): argument i sets the i-th text-format member; arguments
// past the last member are ignored.
void as_global_textformat_ctor(const fn_call& fn);

}  // namespace flash
