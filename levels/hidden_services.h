#pragma once
// Where the hidden-object scene meets the flights and the inventory: one small entry per call,
// so that the scene reads the same whichever of them exists.
class BaseElement;

namespace flash {
class character;
}

namespace levels {

// The last queued flight blocks presses on objects.
bool flightsBusy();
// Flights queued.
int flightsQueued();
// Lets a paused blocking flight play on.
void continueFlights();
// An object of kind 6 plays its own animation where it stands.
void addAnimFly(flash::character* clip, bool force);
// A served use target fades, swells and turns away.
void addTurnFly(flash::character* clip, bool rotate, bool force);
// A picked-up item goes to the inventory.
void itemAdded(BaseElement* element, bool flag);

}  // namespace levels
