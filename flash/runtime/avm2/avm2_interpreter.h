#pragma once
// The AVM2 interpreter: runs the body of one `as_3_function` over the environment's operand and
// scope stacks. A subset of the instruction set is implemented; any other opcode, and any operand
// or index that does not fit the code or the block, ends the method with a log line.
#include "flash/base/array.h"
#include "flash/runtime/as_value.h"

namespace flash {

class as_3_function;
class as_environment;

// Runs function's code from offset 0 until its end, a return or an instruction that ends it.
// registers[0] is this, then the parameters. Called by as_3_function's call.
void avm2_execute(as_3_function* function, array<as_value>& registers, as_environment* env, as_value* result);

}  // namespace flash
