// The built-in synth as a destination: its place in the object graph and the splitting of
// sent packets into synth events.
#include <cstring>
#include <mutex>

#include "platform/coremidi/builtin_synth.h"
#include "platform/coremidi/midi_drivers.h"
#include "platform/coremidi/midi_message_split.h"
#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/synth_engine.h"

bool StartBuiltInSynthDriver(bool notify) {
  bool loaded = StartSynthEngine();
  MidiEndpointSpec endpointSpec;
  endpointSpec.deviceKey = "synth:device";
  endpointSpec.deviceName = kBuiltInSynthName;
  endpointSpec.manufacturer = "Zarin";
  endpointSpec.model = "General MIDI Synth";
  endpointSpec.entityKey = "synth:entity";
  endpointSpec.entityName = kBuiltInSynthName;
  endpointSpec.endpointKey = "synth:destination";
  endpointSpec.endpointName = kBuiltInSynthName;
  endpointSpec.offline = !loaded;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  ReconcileMidiDriverLocked(kMidiDriverSynth, {endpointSpec}, notify);
  for (MIDIObjectRef ref : MidiObjectsOfDriverLocked(kMidiDriverSynth)) {
    MidiObject* obj = FindMidiObjectLocked(ref);
    if (obj->kind == kMidiKindDevice) SetMidiIntegerPropertyLocked(obj, "supportsGeneralMIDI", 1);
  }
  return loaded;
}

void StopBuiltInSynthDriver() {
  {
    std::lock_guard<std::mutex> guard(MidiRegistryLock());
    ReconcileMidiDriverLocked(kMidiDriverSynth, {}, false);
  }
  StopSynthEngine();
}

bool SendBuiltInSynth(const MIDIPacket* packet) {
  bool queued = true;
  ForEachMidiMessage(packet->data, packet->length, [&](const Byte* bytes, size_t length) {
    if (bytes[0] < 0x80 || length > kSynthEventBytes) return;  // continuations, long blocks
    SynthEvent ev;
    ev.stamp = packet->timeStamp;
    ev.kind = kSynthMidi;
    ev.channel = bytes[0] < 0xF0 ? (bytes[0] & 0x0F) : 0;
    ev.length = uint8_t(length);
    std::memcpy(ev.data, bytes, length);
    queued &= QueueSynthEvent(ev);
  });
  return queued;
}

void FlushBuiltInSynth() { FlushSynthEvents(); }

void ServiceBuiltInSynth() { ServiceSynthEngine(); }
