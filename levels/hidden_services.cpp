#include "levels/hidden_services.h"

#include "levels/fly_elements.h"
#include "levels/inventory.h"

namespace levels {

bool flightsBusy() {
    FlyElementsManager* flights = FlyElementsManager::instance();
    return flights && flights->isBusy();
}

int flightsQueued() {
    FlyElementsManager* flights = FlyElementsManager::instance();
    return flights ? static_cast<int>(flights->count()) : 0;
}

void continueFlights() {
    if (FlyElementsManager* flights = FlyElementsManager::instance()) flights->continueBlocking();
}

void addAnimFly(flash::character* clip, bool force) {
    if (FlyElementsManager* flights = FlyElementsManager::instance()) flights->addAnimFly(clip, force);
}

void addTurnFly(flash::character* clip, bool rotate, bool force) {
    if (FlyElementsManager* flights = FlyElementsManager::instance()) flights->addTurnFly(clip, rotate, force);
}

void itemAdded(BaseElement* element, bool flag) {
    if (Inventory* inventory = Inventory::instance()) inventory->onItemAdded(element, flag);
}

}  // namespace levels
