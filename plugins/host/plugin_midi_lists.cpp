#include "plugins/host/plugin_midi_lists.h"

#include "sequencer/clock/transport_clock.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_layout.h"

namespace {

constexpr int32_t kLowestTempo = 120;
constexpr int32_t kHighestTempo = 4500;
constexpr int32_t kDefaultResolution = 480;
constexpr double kOffsetRounding = 0.001;
constexpr VstInt32 kDontReorder = 1;

}  // namespace

PluginMidiEvent* TakeFreeEvent(PluginMidiState* state) {
  MidiEventList& list = state->freeList;
  if (list.numEvents <= 0) return nullptr;
  return list.events[--list.numEvents];
}

bool PushEvent(MidiEventList* list, PluginMidiEvent* event) {
  if (list->numEvents >= kMidiListCapacity) return false;
  list->events[list->numEvents++] = event;
  return true;
}

void SetMidiEvent(PluginMidiEvent* event, int32_t offset, uint8_t status, uint8_t data1, uint8_t data2,
                  int32_t noteLength, uint8_t noteOffVelocity) {
  event->type = kVstMidiType;
  event->byteSize = int32_t(sizeof(PluginMidiEvent) - 8);
  event->deltaFrames = offset;
  event->flags = 0;
  event->noteLength = noteLength;
  event->noteOffset = 0;
  event->midiData[0] = char(status);
  event->midiData[1] = char(data1);
  event->midiData[2] = char(data2);
  event->midiData[3] = 0;
  event->detune = 0;
  event->noteOffVelocity = char(noteOffVelocity);
}

PluginMidiEvent* QueueBlockEvent(PluginMidiState* state, int32_t offset, uint8_t status, uint8_t data1,
                                 uint8_t data2) {
  if (state->output.numEvents >= kMidiListCapacity || state->pending.numEvents >= kMidiListCapacity) return nullptr;
  PluginMidiEvent* e = TakeFreeEvent(state);
  if (!e) return nullptr;
  SetMidiEvent(e, offset, status, data1, data2);
  PushEvent(&state->output, e);
  PushEvent(&state->pending, e);
  return e;
}

int32_t BlockOffset(const PluginMidiState* state, double exact) {
  double at = exact + kOffsetRounding;
  int32_t offset = at < 0.0 ? 0 : int32_t(at);
  return offset > state->blockFrames - 1 ? state->blockFrames - 1 : offset;
}

void QueueNoteOffAfter(PluginMidiState* state, PluginMidiEvent* on, double exact, double samples) {
  int32_t offset = on->deltaFrames;
  int32_t length = int32_t(exact + samples + kOffsetRounding) - offset;
  if (length < 0) length = 0;
  on->noteLength = length;
  if (offset + length >= state->blockFrames) return;
  uint8_t status = uint8_t(on->midiData[0]);
  PluginMidiEvent* off = QueueBlockEvent(state, offset + length, status, uint8_t(on->midiData[1]), 0);
  if (off && length == 0) off->flags = kDontReorder;
}

uint8_t* SongBytes(Handle song) { return song ? reinterpret_cast<uint8_t*>(*song) : nullptr; }

int32_t SongResolution(const uint8_t* song) {
  int32_t r = song ? ReadU16BE(song + kSongResolution) : 0;
  return r > 0 ? r : kDefaultResolution;
}

int32_t ScaleBlockTempo(int32_t tempo) {
  int32_t scale = gTransportClock.tempoScale ? gTransportClock.tempoScale : 2048;
  int32_t t = (scale * tempo + 0x400) >> 11;
  return t < kLowestTempo ? kLowestTempo : t > kHighestTempo ? kHighestTempo : t;
}

double SecondsPerTickAt(int32_t tempo, int32_t resolution) { return 600.0 / (double(tempo) * resolution); }

int32_t TempoInForceAt(uint8_t* song, double tick, int32_t* nextRecord) {
  int32_t tempo = song ? ReadU16BE(song + kSongTempo) : 1200;
  const uint8_t* map = GetSongConductorMap(song);
  int32_t i = 0;
  for (; ConductorKind(map + i * kConductorRecordSize) != kConductorEnd; ++i) {
    const uint8_t* r = map + i * kConductorRecordSize;
    if (double(ConductorTick(r)) > tick) break;
    if (ConductorKind(r) == kConductorTempo) tempo = ConductorValue(r);
  }
  if (nextRecord) *nextRecord = i;
  return ScaleBlockTempo(tempo);
}

double TicksAsSamples(uint8_t* song, double from, double ticks, float rate) {
  int32_t resolution = SongResolution(song);
  int32_t next = 0;
  int32_t tempo = TempoInForceAt(song, from, &next);
  const uint8_t* map = GetSongConductorMap(song);
  double samples = 0.0;
  double at = from;
  double end = from + ticks;
  for (const uint8_t* r = map + next * kConductorRecordSize; ConductorKind(r) != kConductorEnd && ConductorTick(r) < end;
       r += kConductorRecordSize) {
    if (ConductorKind(r) != kConductorTempo) continue;
    samples += (ConductorTick(r) - at) * SecondsPerTickAt(tempo, resolution) * rate;
    at = ConductorTick(r);
    tempo = ScaleBlockTempo(ConductorValue(r));
  }
  return samples + (end - at) * SecondsPerTickAt(tempo, resolution) * rate;
}
