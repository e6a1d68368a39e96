// System power registration: audio output stops before the machine sleeps, and the program
// never vetoes sleep.
#pragma once

#include <cstdint>

// Owned by main, zeroed before use.
struct PowerRegistration {
  uint32_t port = 0;      // notification port, 0 after a failed registration
  uint32_t notifier = 0;
  uint32_t refcon = 0;    // passed to the callback; 0
};

// The root power connection, 0 while not registered.
extern uint32_t gRootPowerConnection;

// Registers for sleep notifications. When that fails, "Zarin: IORegisterForSystemPower
// failed" goes to standard output and the program runs on without them.
void RegisterSystemPower(PowerRegistration* record);
// Undoes a successful registration; after a failed one it does nothing.
void DeregisterSystemPower(PowerRegistration* record);
// Deregisters the registration made last, if it is still active (the fatal stop).
void DeregisterActiveSystemPower();
// The power callback: will-sleep stops the outputs and then allows sleep; can-sleep is
// allowed at once; powered-on clears the sleeping bit.
void HandleSystemPowerMessage(void* refcon, uint32_t service, uint32_t messageType,
                              intptr_t messageArgument);
