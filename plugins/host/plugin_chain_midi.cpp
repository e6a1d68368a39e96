// Handing a block's MIDI to the plug-ins of a chain, each filtered by its own masks, and the
// live input that reaches a device's ring from any thread: the send procedure of plug-in
// instrument outputs (device kind 20) puts what the MIDI thru, auditions and broadcasts send
// to a device into its ring.
#include "platform/audiounit/audio_unit.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_midi_lists.h"
#include "plugins/host/vst_dispatch.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/driver_procs.h"

namespace {

constexpr uint16_t kHostProgramChanges = 0x0001;  // MIDI option bit 0
constexpr uint8_t kHostProgramStatus = 0xFF;
constexpr uint8_t kHostProgramCode = 0xFD;

// The list for one plug-in's share of the block (the engine renders one chain at a time).
MidiEventList gFilteredList;

bool WantsKind(const PluginInstance* p, uint8_t status) { return (uint16_t(p->midiKindMask) >> (status >> 4)) & 1; }

// A program change the host takes itself: it leaves the render thread for the main thread's
// processor ring with the chain (its head's id) and the plug-in's bank word.
void QueueHostProgramChange(uint32_t chain, const PluginInstance* p, uint8_t program) {
  if (!gRealtimeProcessors) return;
  RingMessage m;
  m.tick = GetCurrentSongPosition();
  m.status = kHostProgramStatus;
  m.data1 = kHostProgramCode;
  m.sourceId = chain;
  m.spare2 = p->bankWord | program;
  QueueProcessorInput(gRealtimeProcessors, m);
}

// Whether the event passes the plug-in's masks; bank selects are kept in its bank word.
bool PassesFilter(uint32_t chain, PluginInstance* p, const PluginMidiEvent* e) {
  uint8_t status = uint8_t(e->midiData[0]);
  uint8_t data1 = uint8_t(e->midiData[1]) & 0x7F;
  uint8_t data2 = uint8_t(e->midiData[2]) & 0x7F;
  if (!WantsKind(p, status)) return false;
  switch (status & 0xF0) {
    case 0xB0:
      if (data1 == 32) p->bankWord = (p->bankWord & ~(0x7Fu << 7)) | (uint32_t(data2) << 7);
      if (data1 == 0) p->bankWord = (p->bankWord & ~(0x7Fu << 14)) | (uint32_t(data2) << 14);
      return (p->controllerMask[data1 >> 3] >> (data1 & 7)) & 1;
    case 0xC0:
      if (p->midiOptions & kHostProgramChanges) {
        QueueHostProgramChange(chain, p, data1);
        return false;
      }
      [[fallthrough]];
    default:
      return (p->midiChannelMask >> (status & 0x0F)) & 1;
  }
}

struct LiveMessage {
  uint8_t status, data1, data2;
};

void PutIntoDeviceRing(const LiveDevice* device, void* context) {
  auto* m = static_cast<const LiveMessage*>(context);
  if (device->midiState) PutLiveMidiMessage(&device->midiState->liveRing, m->status, m->data1, m->data2);
}

// The port of a plug-in instrument output is the device's id (0: every device).
int32_t PluginInstrumentSend(uint8_t* record, int32_t port) {
  if (!record || port < 0 || uint32_t(port) > kClickPluginDeviceId) return 0;
  QueueDeviceLiveEvent(reinterpret_cast<const MidiMessage*>(record), uint8_t(port));
  return 0;
}

LiveMessage ToLiveMessage(const MidiMessage* message) {
  int32_t n = message->ByteCount();
  return {n > 0 ? message->bytes[0] : uint8_t(0), n > 1 ? message->bytes[1] : uint8_t(0),
          n > 2 ? message->bytes[2] : uint8_t(0)};
}

}  // namespace

void SendChainMidi(PluginInstance* first, MidiEventList* list) {
  if (!list) return;
  for (PluginInstance* p = first; p; p = GetPluginInstance(p->next)) {
    if (!p->receivesMidi || p->bypass || p->midiKindMask == 0) continue;
    if (p->midiKindMask == -1) {
      if (list->numEvents > 0) SendMidiToPlugin(p, list);
      continue;
    }
    gFilteredList.numEvents = 0;
    for (int32_t i = 0; i < list->numEvents; ++i)
      if (PassesFilter(first->id, p, list->events[i])) PushEvent(&gFilteredList, list->events[i]);
    if (gFilteredList.numEvents > 0) SendMidiToPlugin(p, &gFilteredList);
  }
}

void SendMidiToPlugin(PluginInstance* instance, MidiEventList* list) {
  if (instance->effect) {
    CallVstDispatcher(instance, kEffProcessEvents, 0, 0, list, 0.0f);
    return;
  }
  if (!instance->unit) return;
  // The unit's fast-dispatch procedure when it gave one, else the component call.
  for (int32_t i = 0; i < list->numEvents; ++i) {
    const PluginMidiEvent* e = list->events[i];
    uint8_t status = uint8_t(e->midiData[0]);
    uint8_t data1 = uint8_t(e->midiData[1]) & 0x7F;
    uint8_t data2 = uint8_t(e->midiData[2]) & 0x7F;
    uint32_t offset = uint32_t(e->deltaFrames);
    if (instance->midiProc) instance->midiProc(instance->dispatchStorage, status, data1, data2, offset);
    else MusicDeviceMIDIEvent(instance->unit, status, data1, data2, offset);
  }
}

void ResetDeviceMidiStates() {
  ForEachLiveDevice(0, [](const LiveDevice* device, void*) { ResetPluginMidiState(device->midiState); }, nullptr);
}

void QueueDeviceLiveEvent(const MidiMessage* message, uint8_t deviceId) {
  LiveMessage m = ToLiveMessage(message);
  ForEachLiveDevice(deviceId, PutIntoDeviceRing, &m);
}

void InstallPluginInstrumentOutput() { SetDriverProcById(kPluginInstrumentDriverProc, PluginInstrumentSend); }

void QueueLiveEventForDevice(const MidiMessage* message, PluginMidiRing* ring) {
  LiveMessage m = ToLiveMessage(message);
  if (ring) PutLiveMidiMessage(ring, m.status, m.data1, m.data2);
}
