#include "plugins/host/plugin_midi_delivery.h"

PluginMidiState* NewPluginMidiState(EngineChannel*, uint32_t) { return nullptr; }
void DisposePluginMidiState(PluginMidiState*) {}
void ResetPluginMidiState(PluginMidiState*) {}
void DeliverBufferMidi(EngineChannel*, PluginInstance*, PluginMidiState*, int32_t) {}
MidiEventList* ScheduleBufferEvents(PluginMidiState* state, int32_t, BufferPieceProc) { return &state->output; }
void QueuePluginMidiEvent(PluginMidiState*, float, double, int32_t, int32_t, uint8_t) {}
bool QueueTrackEventsInSpan(PluginMidiState*, Handle, int32_t, double, double, float, int32_t, int32_t, int32_t,
                            int32_t) {
  return true;
}
void QueueClickEvents(PluginMidiState*, int32_t) {}
void SendChainMidi(PluginInstance*, MidiEventList*) {}
void SendMidiToPlugin(PluginInstance*, MidiEventList*) {}
void QueueDeviceLiveEvent(const MidiMessage*, uint8_t) {}
void QueueLiveEventForDevice(const MidiMessage*, PluginMidiRing*) {}
void SortBlockEvents(MidiEventList*, MidiEventList*) {}
