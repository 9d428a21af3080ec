#include "levels/hidden_services.h"

namespace levels {

bool flightsBusy() { return false; }

int flightsQueued() { return 0; }

void continueFlights() {}

void addAnimFly(flash::character*, bool) {}

void addTurnFly(flash::character*, bool, bool) {}

void itemAdded(BaseElement*, bool) {}

}  // namespace levels
