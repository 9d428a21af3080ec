// What the heads-up panel reads of a level: its elements' names and kinds for the task list, and
// an element's clip for the panel's depth changes.
#include "levels/base_element.h"
#include "levels/base_level.h"

void BaseLevel::visitElements(ElementVisitor& visitor) const {
    for (const BaseElement* element : m_elements) visitor.visit(element->getName(), element->getKind());
}

flash::character* BaseLevel::elementClip(const std::string& name) {
    BaseElement* element = getElementByName(name);
    return element ? element->getCharacter() : nullptr;
}
