// A unit's life: initialising instantiates the LV2 plug-in at the unit's sample rate with
// buffers for the maximum frames per slice; uninitialising frees it, keeping its state for the
// next initialise; resetting clears what it holds from earlier audio.
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/audio_unit_midi.h"
#include "platform/audiounit/lv2_world.h"

namespace {

void SetOption(LV2_Options_Option* o, const char* key, uint32_t size, const char* type, const void* value) {
  *o = {LV2_OPTIONS_INSTANCE, 0, Lv2Map(key), size, Lv2Map(type), value};
}

void MakeFeatures(AudioUnitInstance* u) {
  u->optionMaxBlock = int32_t(u->maxFrames);
  u->optionMinBlock = 1;
  u->optionSequenceSize = int32_t(kLv2AtomBufferBytes);
  u->optionRate = float(u->sampleRate);
  SetOption(&u->options[0], LV2_BUF_SIZE__maxBlockLength, sizeof(int32_t), LV2_ATOM__Int, &u->optionMaxBlock);
  SetOption(&u->options[1], LV2_BUF_SIZE__minBlockLength, sizeof(int32_t), LV2_ATOM__Int, &u->optionMinBlock);
  SetOption(&u->options[2], LV2_BUF_SIZE__sequenceSize, sizeof(int32_t), LV2_ATOM__Int, &u->optionSequenceSize);
  SetOption(&u->options[3], LV2_PARAMETERS__sampleRate, sizeof(float), LV2_ATOM__Float, &u->optionRate);
  u->options[4] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
  u->featureList[0] = {LV2_URID__map, Lv2UridMap()};
  u->featureList[1] = {LV2_URID__unmap, Lv2UridUnmap()};
  u->featureList[2] = {LV2_OPTIONS__options, u->options};
  u->featureList[3] = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
  for (int i = 0; i < 4; ++i) u->features[i] = &u->featureList[i];
  u->features[4] = nullptr;
}

void MakeBuffers(AudioUnitInstance* u) {
  u->controls.assign(u->ports.size(), 0.0f);
  u->atoms.assign(u->ports.size(), {});
  for (const Lv2Port& p : u->ports)
    if (p.kind == Lv2PortKind::kAtom) u->atoms[p.index].assign((p.atomBytes + 7) / 8, 0);
  u->inputs.assign(size_t(u->audioIn.size()) * u->maxFrames, 0.0f);
  u->outputs.assign(size_t(u->audioOut.size()) * u->maxFrames, 0.0f);
  u->spare.assign(size_t(u->maxFrames) * 2, 0.0f);
  u->interleaved.assign(size_t(std::max(u->audioIn.size(), u->audioOut.size())) * u->maxFrames, 0.0f);
  size_t buffers = std::max<size_t>(u->audioIn.size(), 1);
  u->inputListBytes.assign(AudioBufferListSize(UInt32(buffers)), 0);
  u->midiEventUrid = Lv2Map(LV2_MIDI__MidiEvent);
  u->chunkUrid = Lv2Map(LV2_ATOM__Chunk);
  u->sequenceUrid = Lv2Map(LV2_ATOM__Sequence);
  lv2_atom_forge_init(&u->forge, Lv2UridMap());
  MapTimeUrids(u);
}

// Control and atom ports stay connected to the unit's own buffers; audio and CV ports are
// connected at each render.
void ConnectFixedPorts(AudioUnitInstance* u) {
  for (const Lv2Port& p : u->ports) {
    void* where = nullptr;
    if (p.kind == Lv2PortKind::kControl) where = &u->controls[p.index];
    if (p.kind == Lv2PortKind::kAtom) where = u->atoms[p.index].data();
    if (p.kind == Lv2PortKind::kControl) u->controls[p.index] = u->values[p.index].load(std::memory_order_relaxed);
    lilv_instance_connect_port(u->lv2, p.index, where);
  }
}

// A plug-in's code stays loaded once it has been used: plug-ins may leave threads or exit
// handlers behind that would run in unmapped code after the last instance is freed.
void KeepCodeLoaded(const LilvPlugin* plugin) {
  static std::set<std::string>* kept = new std::set<std::string>();
  char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_plugin_get_library_uri(plugin)), nullptr);
  if (path == nullptr) return;
  if (kept->insert(path).second) dlopen(path, RTLD_NOW | RTLD_NODELETE);
  lilv_free(path);
}

}  // namespace

OSStatus InstantiateLv2(AudioUnitInstance* u) {
  MakeFeatures(u);
  KeepCodeLoaded(u->plugin);
  u->lv2 = lilv_plugin_instantiate(u->plugin, u->sampleRate, u->features);
  if (u->lv2 == nullptr) {
    std::fprintf(stderr, "The LV2 plug-in %s could not be instantiated at %.0f Hz\n", u->uri.c_str(), u->sampleRate);
    return kAudioUnitErr_FailedInitialization;
  }
  MakeBuffers(u);
  ConnectFixedPorts(u);
  if (u->keptState != nullptr) RestoreLv2State(u, u->keptState, false);
  lilv_instance_activate(u->lv2);
  DropQueuedMidi(u);  // nothing queued while there was no plug-in plays late
  if (u->latencyPort >= 0) {  // the latency is known once the plug-in has run; start afresh after
    RunSilentBlock(u);
    lilv_instance_deactivate(u->lv2);
    lilv_instance_activate(u->lv2);
  }
  u->initialized = true;
  return noErr;
}

void FreeLv2(AudioUnitInstance* u, bool keepState) {
  if (u->lv2 == nullptr) return;
  LilvState* state = keepState ? CaptureLv2State(u) : nullptr;
  if (state != nullptr) {
    if (u->keptState != nullptr) lilv_state_free(u->keptState);
    u->keptState = state;
  }
  lilv_instance_deactivate(u->lv2);
  lilv_instance_free(u->lv2);
  u->lv2 = nullptr;
  u->initialized = false;
}

OSStatus AudioUnitInitialize(AudioUnit unit) {
  AudioUnitInstance* u = AcquireAudioUnit(unit);
  if (u == nullptr) return FindAudioUnit(unit) ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  OSStatus status = u->initialized ? noErr : InstantiateLv2(u);
  ReleaseAudioUnit(unit);
  return status;
}

OSStatus AudioUnitUninitialize(AudioUnit unit) {
  AudioUnitInstance* u = AcquireAudioUnit(unit);
  if (u == nullptr) return FindAudioUnit(unit) ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  FreeLv2(u);
  ReleaseAudioUnit(unit);
  return noErr;
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement) {
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
  AudioUnitInstance* u = AcquireAudioUnit(unit);
  if (u == nullptr) return FindAudioUnit(unit) ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  if (u->lv2 != nullptr) {
    lilv_instance_deactivate(u->lv2);
    lilv_instance_activate(u->lv2);
  }
  DropQueuedMidi(u);
  ReleaseAudioUnit(unit);
  return noErr;
}
