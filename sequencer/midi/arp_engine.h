// The arpeggiator engine: once per clock pass every slot that a real-time processor plays
// advances its pattern and sends the notes of a due step, chosen from the keys held on that
// processor, through every processor linked to the slot, each with its length so that the
// clock ends it. Runs on the clock task: never blocks and never allocates.
#pragma once

#include <cstdint>

#include "sequencer/midi/arp_slots.h"

struct RealtimeProcessor;

// The service runs: the switch is on and a processor plays an existing slot.
bool IsArpeggiatorServiceActive();
// One pass of every slot a processor names (once each, by the first processor that names it);
// skipped while the recorder waits for its first note or the engine is held.
void ArpServiceAll();
// Realigns every processor's slot to the song tick: the chain from the current pattern, the
// next step's distance from the position of tick - 1; the slot restarts in full at its next
// step.
void ArpRestartAll(uint32_t tick);
// Posts a request of level (1 chord restart, 2 new key, 3 full restart); any thread.
void ArpRequest(ArpState* state, uint32_t level);
// Stopping the transport: at its next pass every slot ends the notes it sounds and forgets
// the latched keys. Main thread; never waits for the clock.
void ArpStopAll();
// One pass of one slot for the processor that names it.
void ArpProcessSlot(RealtimeProcessor* processor, uint8_t* slot);
