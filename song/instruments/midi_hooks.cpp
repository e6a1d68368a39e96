#include "song/instruments/midi_hooks.h"

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
