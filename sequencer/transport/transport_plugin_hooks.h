// What the transport tells the plug-in host: a new tempo reaches the plug-in devices (the
// clock's seconds a tick, and while the engine runs every device channel's tempo word and
// MIDI state). Installed by the plug-in host (InstallPluginDeviceHooks); not installed, the
// tempo changes the clock alone. Called wherever the clock's period changes, the clock's
// fire included: the entry never blocks or allocates.
#pragma once

#include <cstdint>

struct TransportPluginHooks {
  // The tempo in tenths of a beat a minute, already clamped to the tables.
  void (*applyTempoToDevices)(int32_t tempo);
  // A transport message to every plug-in device (4 the engine's varispeed on, 6 off).
  void (*passDeviceTransportMessage)(int32_t kind);
};
extern TransportPluginHooks gTransportPluginHooks;

void ApplyTempoToDevices(int32_t tempo);
// Interim (not installed): the devices are not told.
void PassDeviceTransportMessage(int32_t kind);
