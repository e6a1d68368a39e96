// An open unit: the LV2 plug-in's ports as the layer sees them, the values of its controls,
// the buffers its rendering uses (made when it is initialised, sized for the maximum frames
// per slice), its LV2 instance and the host's settings. Private to platform/audiounit.
//
// Threads: the main thread opens, closes, initialises and sets properties; the engine thread
// renders, queues MIDI and gets and sets parameters. Control values are atomic words; anything
// that touches the LV2 instance holds the unit's busy byte, which the render only tries (a
// busy unit renders silence for that block) and the main thread waits for with a bound.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audiounit/audio_unit.h"
#include "platform/threads/lock_free_queue.h"

// The size of every atom port buffer (larger when a port asks for more).
constexpr uint32_t kLv2AtomBufferBytes = 16384;

enum class Lv2PortKind : uint8_t { kAudio, kControl, kCv, kAtom, kUnused };

struct Lv2ValueName {
  float value;
  std::string name;
};

struct Lv2Port {
  uint32_t index = 0;
  Lv2PortKind kind = Lv2PortKind::kUnused;
  bool input = false;
  bool midi = false;            // an atom input that takes MIDI events
  bool timePosition = false;    // an atom input that takes the host's time position
  bool scaledByRate = false;    // limits given as fractions of the sample rate
  std::string symbol;
  std::string name;
  float minimum = 0.0f;
  float maximum = 1.0f;
  float defaultValue = 0.0f;
  uint32_t unit = kAudioUnitParameterUnit_Generic;
  uint32_t flags = 0;           // AudioUnitParameterInfo flags
  std::vector<Lv2ValueName> valueNames;  // by value; indexed parameters: minimum, minimum + 1, ...
  uint32_t atomBytes = 0;       // atom ports: the buffer's size
};

// One MIDI message waiting for the next render.
struct Lv2MidiMessage {
  uint32_t offset = 0;
  uint8_t size = 0;
  uint8_t bytes[3] = {0, 0, 0};
};

struct AudioUnitPropertyListener {
  AudioUnitPropertyID id;
  AudioUnitPropertyListenerProc proc;
  void* refCon;
};

struct AudioUnitInstance {
  AudioUnit id = 0;
  Component component = 0;
  const LilvPlugin* plugin = nullptr;
  std::string uri;

  // The plug-in's ports by index, and the roles the layer gives them.
  std::vector<Lv2Port> ports;
  std::vector<uint32_t> audioIn, audioOut, parameters;
  int32_t midiPort = -1, latencyPort = -1, enabledPort = -1;
  int32_t timePort = -1;  // the first atom input that takes time:Position, -1 none

  // Control values by port index: wanted (inputs) or last produced (outputs).
  std::unique_ptr<std::atomic<float>[]> values;

  // Made at initialise.
  double sampleRate = 44100.0;
  uint32_t maxFrames = 1156;
  LilvInstance* lv2 = nullptr;
  bool initialized = false;
  std::vector<float> controls;                    // connected control ports, by index
  std::vector<std::vector<uint64_t>> atoms;       // atom port buffers, by index
  std::vector<float> inputs;                      // input channels x maxFrames
  std::vector<float> outputs;                     // output channels x maxFrames
  std::vector<float> spare;                       // zeros for CV inputs, a sink for CV outputs
  std::vector<uint8_t> inputListBytes;            // the AudioBufferList handed to the callback
  std::vector<float> interleaved;                 // version-1 input and render slices
  LV2_Atom_Forge forge{};
  LV2_URID midiEventUrid = 0, chunkUrid = 0, sequenceUrid = 0;
  // time:Position and the fields the unit hands its plug-in (audio_unit_time.cpp).
  LV2_URID timePositionUrid = 0, timeBpmUrid = 0, timeBarUrid = 0, timeBarBeatUrid = 0,
           timeBeatsPerBarUrid = 0, timeBeatUnitUrid = 0, timeSpeedUrid = 0, timeFrameUrid = 0;
  Lv2MidiMessage pending[256];                    // the render's sorted copy of the queue

  // LV2 features offered to the plug-in.
  int32_t optionMaxBlock = 0, optionMinBlock = 1, optionSequenceSize = 0;
  float optionRate = 0.0f;
  LV2_Options_Option options[5]{};
  LV2_Feature featureList[5]{};
  const LV2_Feature* features[6]{};

  // The plug-in's own state kept while it is not instantiated (set before initialising, or
  // carried across an uninitialise).
  LilvState* keptState = nullptr;

  // Host settings.
  AURenderCallbackStruct renderCallback;
  AURenderCallbackStruct inputCallback;           // the version-1 input (interleaved)
  HostCallbackInfo hostCallbacks;
  std::atomic<uint32_t> bypass{0};
  uint32_t offlineRender = 0, renderQuality = 127;
  std::vector<AUPreset> presets;
  std::vector<std::string> presetUris;
  AUPreset currentPreset{-1, nullptr};
  std::vector<AudioUnitPropertyListener> listeners;

  LockFreeQueue<Lv2MidiMessage, 256> midi;
};

// The open unit of an id, or null (lock-free; any thread).
AudioUnitInstance* FindAudioUnit(AudioUnit unit);
// Engine thread: takes the unit's busy byte once, without waiting; null when the unit is not
// open or busy. Give it back with ReleaseAudioUnit.
AudioUnitInstance* TryAcquireAudioUnit(AudioUnit unit);
// Main thread: waits (bounded) for the busy byte; null when the unit is not open or the
// render did not let go in time.
AudioUnitInstance* AcquireAudioUnit(AudioUnit unit);
void ReleaseAudioUnit(AudioUnit unit);

// Opens a unit of the component (its ports checked, refused with a message on standard error
// when the plug-in cannot be hosted); closing uninitialises it.
OSStatus OpenAudioUnitInstance(Component component, AudioUnit* unit);
bool CloseAudioUnitInstance(AudioUnit unit);

// Reads the plug-in's ports into the unit; false (with the reason) when a port is missing,
// has no direction or an unknown type, or a control has impossible limits.
bool ReadLv2Ports(AudioUnitInstance* u, std::string* reason);
// Whether the host provides every feature the plug-in requires; the first missing one named.
bool HostHasRequiredFeatures(const LilvPlugin* plugin, std::string* missing);

// Instantiating and freeing the LV2 instance (the unit held); freeing keeps the plug-in's
// state for the next instantiation unless the unit is closing.
OSStatus InstantiateLv2(AudioUnitInstance* u);
void FreeLv2(AudioUnitInstance* u, bool keepState = true);

// Version-1 units (audio_unit_slices.cpp): pulls the input through the interleaved input
// callback into the unit's input buffers; and the fast-dispatch procedure of a selector.
OSStatus PullInterleavedInput(AudioUnitInstance* u, AudioUnitRenderActionFlags* flags,
                              const AudioTimeStamp* time, uint32_t frames);
void* FastDispatchProcedure(uint32_t selector);
// Renders one block into the caller's list, the unit held (audio_unit_render.cpp).
OSStatus RenderHeldUnit(AudioUnitInstance* u, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                        uint32_t bus, uint32_t frames, AudioBufferList* data);

// Runs the plug-in once on silence (the unit held, initialised), so that its output controls,
// the latency among them, hold their first values.
void RunSilentBlock(AudioUnitInstance* u);

// State (audio_unit_state.cpp). Capturing takes the plug-in's own state (when instantiated)
// and the control values; restoring gives the plug-in its state and, with ports, the controls
// their values (the unit held for both).
LilvState* CaptureLv2State(AudioUnitInstance* u);
void RestoreLv2State(AudioUnitInstance* u, const LilvState* state, bool ports);
// The class info property: the state as bytes, and restoring from them (or from a preset).
OSStatus CopyClassInfo(AudioUnit unit, CFDataRef* data);
OSStatus SetClassInfo(AudioUnit unit, CFDataRef data);
OSStatus ChoosePreset(AudioUnit unit, int32_t number);
void LoadFactoryPresets(AudioUnitInstance* u);
void FreeFactoryPresets(AudioUnitInstance* u);
void NotifyPropertyListeners(AudioUnit unit, AudioUnitPropertyID id);

// Drops the MIDI waiting for a render.
void DropQueuedMidi(AudioUnitInstance* u);
// A control's limits at the unit's sample rate, and setting its value within them.
void ControlLimits(const AudioUnitInstance* u, const Lv2Port& p, float* minimum, float* maximum, float* defaultValue);
void SetControlValue(AudioUnitInstance* u, uint32_t port, float value);
