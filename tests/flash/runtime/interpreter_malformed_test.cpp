// Malformed action bytes: truncations, stack underflow, branches outside the section, huge
// counts and deep recursion all end cleanly with a log line.
#include <gtest/gtest.h>

#include "interp_test_support.h"

using namespace testasm;

namespace {

assembler a() { return assembler(); }

}  // namespace
