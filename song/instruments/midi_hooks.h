// What the instrument table asks of the sequencer's MIDI side: the thru ports, the pending
// note-offs, registering a port again and the chain of real-time processors. Installed by the
// sequencer at start-up (InstallSequencerHooks); an entry not installed does nothing.
#pragma once

#include <cstdint>

struct InstrumentMidiHooks {
  // Passes a record to every MIDI port whose channel mask holds its channel (with onlyUsed
  // non-zero, only to ports that were sent to before); main thread.
  int32_t (*sendToThruPorts)(uint8_t* record, int32_t onlyUsed);
  // Sends every pending note-off without an owner at once; main thread.
  int32_t (*flushNoteOffs)();
  // Registers a port again so that its id can be found; main thread.
  void (*reRegisterPort)(uint16_t* portId);
  // The flag byte of the first real-time processor (its flags >> 8), -1 when there is none.
  int32_t (*firstProcessorFlags)();
  // Points every processor routed to an instrument at or past count at the last instrument.
  void (*clampProcessorInstruments)(int32_t count);
  // The name of the MIDI endpoint with a unique ID (length-prefixed, at most size bytes),
  // empty when it is not known; main thread.
  void (*endpointNameByUniqueId)(uint32_t uniqueId, uint8_t* name, int32_t size);
  // The unique ID of the MIDI destination of that name (a length-prefixed string), 0 for none.
  uint32_t (*findDestinationByName)(const uint8_t* name);
};
extern InstrumentMidiHooks gInstrumentMidiHooks;

// Not installed: nothing is sent; answers 0.
int32_t SendToThruPorts(uint8_t* record, int32_t onlyUsed);
// Not installed: nothing is pending; answers 0.
int32_t FlushPendingNoteOffs();
// Interim: there is no MIDI client to register with, so unless an entry is installed the id
// stays as it is.
void ReRegisterPort(uint16_t* portId);
// Not installed: there are no processors; answers -1.
int32_t GetFirstProcessorFlags();
// Not installed: nothing to clamp.
void ClampProcessorInstrumentsTo(int32_t count);
// A track read from a document that names a MIDI endpoint by a unique ID (+144) no endpoint
// has any longer takes the ID of the destination named by its stored name (+152), when there
// is one. Not installed: the track is left as it is.
void RelinkTrackEndpointByName(uint8_t* track);
