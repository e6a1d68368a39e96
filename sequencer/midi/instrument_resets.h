// What the instruments that take part in set-up data (option 0x20) get before playback:
// their reset messages and their initial volumes. Main thread.
#pragma once

#include <cstdint>

// Four passes over the instruments, each message to the instrument's first output slot:
// channel pressure 0, pitch bend centred, controllers 1 and 2 at 0 (as the reset options
// ask; options never set are taken as pressure and pitch bend), then the volume and pan
// settings the instrument is marked to re-send.
void ResetAllInstruments();
// Adds a volume entry (controller 7 at time) to the set-up data of every instrument that
// takes part, carries its volume on controller 7 and is not left out of the pass; plug-in
// and ReWire instruments get none. The chase end is lifted.
void SendInitialVolumes(uint32_t time);
