#include "flash/runtime/action_disassembler.h"

#include <gtest/gtest.h>
