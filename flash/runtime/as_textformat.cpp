#include "flash/runtime/as_textformat.h"

#include "flash/runtime/as_function.h"
#include "flash/runtime/name_tables.h"

namespace flash {

void as_global_textformat_ctor(const fn_call& fn) {
    smart_ptr<as_textformat> format(new as_textformat(fn.get_player()));
    const int count = fn.arg_count < TEXT_FORMAT_KEY_COUNT ? fn.arg_count : TEXT_FORMAT_KEY_COUNT;
    for (int i = 0; i < count; ++i) format->set_member(get_text_format_key(i), fn.arg(i));
    fn.result->set_as_object(format.get_ptr());
}

}  // namespace flash
