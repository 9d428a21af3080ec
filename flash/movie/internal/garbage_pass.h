#pragma once
// Cutting the reference cycles among the objects a garbage pass found unreachable. Only the
// references that close a cycle are cut (what the objects refer to otherwise stays), and the cost
// is linear in the objects and references involved: asking each object in turn for the cycles
// through it walks everything it reaches again and again, which a table whose entries point back
// at it turns into a freeze.
#include "flash/base/array.h"

namespace flash {

class as_object;
class engine_instance;

// garbage: the heap's objects that the pass did not mark. Objects the pass marked are never on a
// garbage cycle and are not walked.
void cut_garbage_cycles(engine_instance* heap, const array<as_object*>& garbage);

}  // namespace flash
