#include "song/instruments/midi_hooks.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "song/model/song_layout.h"

InstrumentMidiHooks gInstrumentMidiHooks;

int32_t SendToThruPorts(uint8_t* record, int32_t onlyUsed) {
  return gInstrumentMidiHooks.sendToThruPorts ? gInstrumentMidiHooks.sendToThruPorts(record, onlyUsed) : 0;
}

int32_t FlushPendingNoteOffs() { return gInstrumentMidiHooks.flushNoteOffs ? gInstrumentMidiHooks.flushNoteOffs() : 0; }

void ReRegisterPort(uint16_t* portId) {
  if (gInstrumentMidiHooks.reRegisterPort) gInstrumentMidiHooks.reRegisterPort(portId);
}

int32_t GetFirstProcessorFlags() {
  return gInstrumentMidiHooks.firstProcessorFlags ? gInstrumentMidiHooks.firstProcessorFlags() : -1;
}

void ClampProcessorInstrumentsTo(int32_t count) {
  if (gInstrumentMidiHooks.clampProcessorInstruments) gInstrumentMidiHooks.clampProcessorInstruments(count);
}

void RelinkTrackEndpointByName(uint8_t* track) {
  InstrumentMidiHooks& h = gInstrumentMidiHooks;
  uint32_t id = ReadU32BE(track + kTrackEndpointId);
  if (!id || !h.endpointNameByUniqueId || !h.findDestinationByName) return;
  uint8_t known[256];
  h.endpointNameByUniqueId(id, known, sizeof known);
  if (known[0] != 0) return;
  uint8_t stored[kTrackEndpointNameSize];
  std::memcpy(stored, track + kTrackEndpointName, sizeof stored);
  if (stored[0] >= sizeof stored) stored[0] = uint8_t(sizeof stored - 1);
  if (uint32_t found = h.findDestinationByName(stored)) WriteU32BE(track + kTrackEndpointId, found);
}
