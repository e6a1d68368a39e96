#include "plugins/host/plugin_midi_ring.h"

void ResetPluginMidiRing(PluginMidiRing*) {}
bool PutLiveMidiMessage(PluginMidiRing*, uint8_t, uint8_t, uint8_t) { return false; }
bool TakeLiveMidiMessage(PluginMidiRing*, uint8_t*) { return false; }
