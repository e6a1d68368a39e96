// Small LV2 plug-ins for the component layer's tests. "pulse" is an instrument whose output is
// level x velocity / 127 while a note is held, from the exact frame of its note-on to that of
// its note-off, and which keeps the number of notes it has played in its own state (and shows
// it on a meter), and which remembers the last time position its host gave it (read with
// zarin_fixture_time). "broken" cannot be instantiated; "needy", "gappy" and "liar" are described
// so that no host may use them.
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr const char* kPulseUri = "http://zarin.invalid/lv2/pulse";
constexpr const char* kPlayedKey = "http://zarin.invalid/lv2/pulse#played";

struct Pulse {
  const LV2_Atom_Sequence* midi = nullptr;
  float* out = nullptr;
  const float* level = nullptr;
  const float* shape = nullptr;
  float* playedMeter = nullptr;
  LV2_URID midiEvent = 0, intType = 0, playedKey = 0;
  LV2_URID object = 0, position = 0, floatType = 0, longType = 0;
  LV2_URID bpm = 0, bar = 0, barBeat = 0, speed = 0, frame = 0, beatsPerBar = 0, beatUnit = 0;
  int held = 0;
  float velocity = 0.0f;
  int32_t played = 0;
};

LV2_Handle Instantiate(const LV2_Descriptor*, double, const char*, const LV2_Feature* const* features) {
  const LV2_URID_Map* map = nullptr;
  for (int i = 0; features != nullptr && features[i] != nullptr; ++i)
    if (std::strcmp(features[i]->URI, LV2_URID__map) == 0) map = static_cast<const LV2_URID_Map*>(features[i]->data);
  if (map == nullptr) return nullptr;
  auto* p = new (std::nothrow) Pulse();
  if (p == nullptr) return nullptr;
  p->midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
  p->intType = map->map(map->handle, LV2_ATOM__Int);
  p->playedKey = map->map(map->handle, kPlayedKey);
  p->object = map->map(map->handle, LV2_ATOM__Object);
  p->position = map->map(map->handle, LV2_TIME__Position);
  p->floatType = map->map(map->handle, LV2_ATOM__Float);
  p->longType = map->map(map->handle, LV2_ATOM__Long);
  p->bpm = map->map(map->handle, LV2_TIME__beatsPerMinute);
  p->bar = map->map(map->handle, LV2_TIME__bar);
  p->barBeat = map->map(map->handle, LV2_TIME__barBeat);
  p->speed = map->map(map->handle, LV2_TIME__speed);
  p->frame = map->map(map->handle, LV2_TIME__frame);
  p->beatsPerBar = map->map(map->handle, LV2_TIME__beatsPerBar);
  p->beatUnit = map->map(map->handle, LV2_TIME__beatUnit);
  return p;
}

void Connect(LV2_Handle h, uint32_t port, void* data) {
  auto* p = static_cast<Pulse*>(h);
  switch (port) {
    case 0: p->midi = static_cast<const LV2_Atom_Sequence*>(data); break;
    case 1: p->out = static_cast<float*>(data); break;
    case 2: p->level = static_cast<const float*>(data); break;
    case 3: p->shape = static_cast<const float*>(data); break;
    case 4: p->playedMeter = static_cast<float*>(data); break;
    default: break;
  }
}

float Sample(const Pulse* p) {
  if (p->held == 0) return 0.0f;
  float v = *p->level * p->velocity / 127.0f;
  return *p->shape >= 1.5f ? 0.0f : *p->shape >= 0.5f ? v / 2 : v;
}

void Take(Pulse* p, const uint8_t* msg) {
  uint8_t kind = msg[0] & 0xF0;
  if (kind == 0x90 && msg[2] > 0) {
    ++p->held;
    ++p->played;
    p->velocity = msg[2];
  } else if ((kind == 0x80 || kind == 0x90) && p->held > 0) {
    --p->held;
  }
}

// The last position any pulse was given: bpm, bar, beat in the bar, speed, frame, beats per
// bar, beat unit; -1 for a field that was missing or of another type. Count of positions.
double gLastTime[7] = {-1, -1, -1, -1, -1, -1, -1};
int gPositions = 0;

double Number(const Pulse* p, const LV2_Atom* atom) {
  if (atom == nullptr) return -1;
  if (atom->type == p->floatType) return reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
  if (atom->type == p->longType) return double(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
  return -1;
}

void TakePosition(Pulse* p, const LV2_Atom_Object* position) {
  const LV2_Atom* fields[7] = {};
  lv2_atom_object_get(position, p->bpm, &fields[0], p->bar, &fields[1], p->barBeat, &fields[2], p->speed,
                      &fields[3], p->frame, &fields[4], p->beatsPerBar, &fields[5], p->beatUnit, &fields[6], 0);
  for (int i = 0; i < 7; ++i) gLastTime[i] = Number(p, fields[i]);
  ++gPositions;
}

void Run(LV2_Handle h, uint32_t frames) {
  auto* p = static_cast<Pulse*>(h);
  uint32_t at = 0;
  LV2_ATOM_SEQUENCE_FOREACH(p->midi, ev) {
    auto when = uint32_t(ev->time.frames);
    for (; at < when && at < frames; ++at) p->out[at] = Sample(p);
    if (ev->body.type == p->midiEvent && ev->body.size == 3) Take(p, reinterpret_cast<const uint8_t*>(ev + 1));
    if (ev->body.type == p->object) {
      const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&ev->body);
      if (object->body.otype == p->position) TakePosition(p, object);
    }
  }
  for (; at < frames; ++at) p->out[at] = Sample(p);
  *p->playedMeter = float(p->played);
}

void Cleanup(LV2_Handle h) { delete static_cast<Pulse*>(h); }

LV2_State_Status Save(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*) {
  auto* p = static_cast<Pulse*>(h);
  return store(handle, p->playedKey, &p->played, sizeof p->played, p->intType,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Restore(LV2_Handle h, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                         const LV2_Feature* const*) {
  auto* p = static_cast<Pulse*>(h);
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* value = retrieve(handle, p->playedKey, &size, &type, &flags);
  if (value != nullptr && size == sizeof(int32_t) && type == p->intType) std::memcpy(&p->played, value, size);
  return LV2_STATE_SUCCESS;
}

const void* ExtensionData(const char* uri) {
  static const LV2_State_Interface state = {Save, Restore};
  return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

LV2_Handle RefuseInstance(const LV2_Descriptor*, double, const char*, const LV2_Feature* const*) { return nullptr; }
void Ignore(LV2_Handle, uint32_t, void*) {}
void Nothing(LV2_Handle, uint32_t) {}
void NoCleanup(LV2_Handle) {}
const void* NoExtension(const char*) { return nullptr; }

const LV2_Descriptor kDescriptors[] = {
    {kPulseUri, Instantiate, Connect, nullptr, Run, nullptr, Cleanup, ExtensionData},
    {"http://zarin.invalid/lv2/broken", RefuseInstance, Ignore, nullptr, Nothing, nullptr, NoCleanup, NoExtension},
    {"http://zarin.invalid/lv2/needy", RefuseInstance, Ignore, nullptr, Nothing, nullptr, NoCleanup, NoExtension},
    {"http://zarin.invalid/lv2/gappy", RefuseInstance, Ignore, nullptr, Nothing, nullptr, NoCleanup, NoExtension},
    {"http://zarin.invalid/lv2/liar", RefuseInstance, Ignore, nullptr, Nothing, nullptr, NoCleanup, NoExtension},
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index < sizeof kDescriptors / sizeof kDescriptors[0] ? &kDescriptors[index] : nullptr;
}

// The last time position (7 numbers, see gLastTime) and how many positions were taken.
extern "C" __attribute__((visibility("default"))) int zarin_fixture_time(double* out) {
  for (int i = 0; i < 7; ++i) out[i] = gLastTime[i];
  return gPositions;
}
