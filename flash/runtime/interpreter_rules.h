#pragma once
// The number rules of the actions that the interpreter also runs joined with the records around
// them. Each rule is written here once: the action's own handler and every joined step that runs
// the action call it, so the two ways of running a program cannot answer differently.
#include "flash/runtime/action_codes.h"

namespace flash {

// Less, Less2 and Greater: comparisons that two numbers take straight.
constexpr bool compares_numbers(int code) {
    return code == action::LESS || code == action::LESS2 || code == action::GREATER;
}

// Add, Add2, Subtract, Multiply and Divide: arithmetic whose result of two numbers is a number.
constexpr bool operates_arithmetically(int code) {
    return code == action::ADD || code == action::ADD2 || code == action::SUBTRACT ||
           code == action::MULTIPLY || code == action::DIVIDE;
}

// The arithmetic and comparisons that two numbers take straight, without a conversion.
constexpr bool operates_on_numbers(int code) {
    return operates_arithmetically(code) || compares_numbers(code);
}

// The arithmetic of two numbers (operates_arithmetically; Add2 of two numbers adds them).
[[gnu::always_inline]] inline double arithmetic_on_numbers(int code, double a, double b) {
    switch (code) {
        case action::SUBTRACT: return a - b;
        case action::MULTIPLY: return a * b;
        case action::DIVIDE: return a / b;
        default: return a + b;
    }
}

// The comparison of two numbers (compares_numbers): false when either is NaN.
[[gnu::always_inline]] inline bool compare_numbers(int code, double a, double b) {
    return code == action::GREATER ? a > b : a < b;
}

// What an Increment (code) or a Decrement adds to a number.
constexpr double step_of(int code) { return code == action::INCREMENT ? 1.0 : -1.0; }

// Increment or Decrement (code) of a number.
[[gnu::always_inline]] inline double step_number(int code, double value) {
    return value + step_of(code);
}

}  // namespace flash
