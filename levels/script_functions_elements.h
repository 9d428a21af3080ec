#pragma once
// The script functions that act on the elements of the current level and on their clips' event
// handling: event scripts, visibility, activation, hinting, script-made elements, effects and
// the clip under the cursor. Each is the native function behind the script global of the same
// meaning (the snake_case name of the comment). The lookups are those of
// script_functions_clips.h; a missing level, element or clip makes a function do nothing (the
// reports named at three of them aside).
#include <string>

class BaseElement;

namespace script_functions {

// The kind of elements that scripts make and that only scripts drive.
constexpr int kScriptElementKind = 14;

// set_callback_for_element, set_callback_for_element_r_click: the element's click (event 0) or
// right-click (event 1) script.
void setCallbackForElement(const std::string& element, const std::string& script);
void setCallbackForElementRClick(const std::string& element, const std::string& script);
// set_callback_for_element_ex: the click script of the element in every minilevel of that name.
void setCallbackForElementEx(const std::string& element, const std::string& script, const std::string& minilevel);
// set_element_visible: logs ERROR "set_element_visible <path> not found" for a missing clip.
void setElementVisible(const std::string& path, bool visible);
// activate_element: true gives the clip the levels' event callback and, with the mouse over it,
// sends it a roll-over; false takes the callback away. Prints "activate_element: not found
// <path>" for a missing clip.
void activateElement(const std::string& path, bool active);
// can_be_hinted: the clip and its movie's root are visible; false when missing.
bool canBeHinted(const std::string& path);
// create_script_element: a new script-only element of the current level; null without one.
BaseElement* createScriptElement(const std::string& name);
// create_script_element_ex: the same in the first minilevel of that name; null without one.
BaseElement* createScriptElementEx(const std::string& name, const std::string& minilevel);
// set_element_effect: the element's particle effect (an empty name stops it).
void setElementEffect(const std::string& element, const std::string& effect);
// set_element_at_cursor: the clip's translation at the cursor; logs ERROR
// "set_element_at_cursor <path> not found" for a missing clip.
void setElementAtCursor(const std::string& path);

}  // namespace script_functions
