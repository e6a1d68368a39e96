#include "plugins/host/plugin_midi_delivery.h"

#include <new>

#include "audio/engine/engine_channels.h"
#include "plugins/host/channel_song_time.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_lists.h"
#include "sequencer/clock/transport_clock.h"
#include "song/conductor/conductor_map.h"

namespace {

constexpr uint8_t kDontReorder = 1;  // flags bit 0

void RefillFreeList(PluginMidiState* state) {
  state->freeList.numEvents = 0;
  for (PluginMidiEvent& e : state->pool[0]) {
    SetMidiEvent(&e, 0, 0, 0, 0);
    PushEvent(&state->freeList, &e);
  }
  state->pending.numEvents = 0;
  state->output.numEvents = 0;
}

bool IsNoteOff(const PluginMidiEvent* e) {
  uint8_t kind = uint8_t(e->midiData[0]) & 0xF0;
  return kind == 0x80 || (kind == 0x90 && e->midiData[2] == 0);
}

// Step 3: what stays pending from the last block. Events with nothing left to end go back to
// the free list; a note-on becomes its own later note-off, its remaining length counted from
// this block's start.
void CarryPendingEvents(PluginMidiState* state) {
  MidiEventList& pending = state->pending;
  int32_t kept = 0;
  for (int32_t i = 0; i < pending.numEvents; ++i) {
    PluginMidiEvent* e = pending.events[i];
    if (e->noteLength >= 1) {
      e->noteLength = e->noteLength - state->lastFrames + e->deltaFrames;
      e->deltaFrames = 0;
      e->midiData[0] = char(0x80 | (uint8_t(e->midiData[0]) & 0x0F));
      if (e->noteLength >= 0) {
        pending.events[kept++] = e;
        continue;
      }
    }
    e->noteLength = 0;
    PushEvent(&state->freeList, e);
  }
  pending.numEvents = kept;
}

// Step 7: the carried notes that end in this block (at once after a reset).
void ReleaseCarriedNotes(PluginMidiState* state, int32_t carried, int32_t frames, bool reset) {
  for (int32_t i = 0; i < carried && state->output.numEvents < kMidiListCapacity; ++i) {
    PluginMidiEvent* e = state->pending.events[i];
    if (!reset && e->noteLength >= frames) continue;
    e->deltaFrames = reset ? 0 : e->noteLength;
    e->midiData[2] = e->noteOffVelocity;
    e->noteLength = 0;
    PushEvent(&state->output, e);
  }
}

// Step 8: the live ring, while the output has room.
void TakeLiveEvents(PluginMidiState* state) {
  uint8_t bytes[3];
  while (state->output.numEvents < kMidiListCapacity && state->freeList.numEvents > 0 &&
         TakeLiveMidiMessage(&state->liveRing, bytes)) {
    QueueBlockEvent(state, 0, bytes[0], bytes[1], bytes[2]);
  }
}

struct PieceEnd {
  double samples;  // where the piece ends (relative to the block)
  double tick;
  int32_t kind;    // 0 block end, 1 tempo record, 2 cycle end
  int32_t tempo;
};

// Where the piece from (at, tick) ends: the block's end, the next tempo record or the cycle end.
PieceEnd FindPieceEnd(PluginMidiState* state, uint8_t* song, double at, double tick, double frames, float rate) {
  double samplesPerTick = state->secondsPerTick * rate;
  PieceEnd end{frames, tick + (frames - at) / samplesPerTick, 0, 0};
  if (state->cycleOn && state->cycleEndTick > tick && state->cycleEndTick < end.tick)
    end = {at + (state->cycleEndTick - tick) * samplesPerTick, state->cycleEndTick, 2, 0};
  const uint8_t* map = GetSongConductorMap(song);
  for (const uint8_t* r = map + state->conductorCursor * kConductorRecordSize; ConductorKind(r) != kConductorEnd;
       r += kConductorRecordSize) {
    if (ConductorKind(r) != kConductorTempo) {
      ++state->conductorCursor;  // meters, keys and volumes play no part here
      continue;
    }
    double t = ConductorTick(r);
    if (t < end.tick) end = {at + (t - tick) * samplesPerTick, t, 1, ScaleBlockTempo(ConductorValue(r))};
    break;
  }
  if (end.samples < at) end.samples = at;
  return end;
}

// Step 5: the block cut into pieces at tempo changes and the cycle end, each piece handed to
// the per-piece routine; the song position moves on by the block.
void ScheduleSongPieces(PluginMidiState* state, int32_t frames, BufferPieceProc piece, float rate) {
  uint8_t* song = SongBytes(state->song);
  int32_t resolution = SongResolution(song);
  double at = state->latencyOffset > 0 ? double(state->latencyOffset) : 0.0;
  double tick = state->tickPosition;
  double span = 0.0;
  for (int32_t guard = 0; at < frames && state->freeList.numEvents > 0 && guard < 4 * kMidiListCapacity; ++guard) {
    state->secondsPerTick = SecondsPerTickAt(state->tempo, resolution);
    PieceEnd end = FindPieceEnd(state, song, at, tick, frames, rate);
    if (end.tick > tick) {
      if (piece) piece(state, rate, end.tick - tick, at, end.samples - at, 0);
      if (state->clickChannel) QueueClickEvents(state, tick, end.tick, rate, at);
      span += end.tick - tick;
    }
    at = end.samples;
    tick = end.tick;
    if (end.kind == 1) {
      state->tempo = end.tempo;
      ++state->conductorCursor;
      gTransportClock.tempo = uint16_t(end.tempo);
    } else if (end.kind == 2) {
      tick = state->cycleStartTick;
      state->tempo = TempoInForceAt(song, tick, &state->conductorCursor);
      ResetTrackCursors(state, tick);
      if (PluginInstance* receiver = GetPluginInstance(state->receiverId)) receiver->transportCopy = 0;
    }
  }
  state->secondsPerTick = SecondsPerTickAt(state->tempo, resolution);
  state->tickPosition = tick;
  state->lastTickSpan = span;
}

bool SameKeyRelease(const PluginMidiEvent* on, const PluginMidiEvent* e) {
  return IsNoteOff(e) && e->midiData[1] == on->midiData[1] &&
         (uint8_t(e->midiData[0]) & 0x0F) == (uint8_t(on->midiData[0]) & 0x0F) && !(e->flags & kDontReorder);
}

}  // namespace

PluginMidiState* NewPluginMidiState(EngineChannel* channel, uint32_t ownerId) {
  auto* state = new (std::nothrow) PluginMidiState();
  if (!state) return nullptr;
  state->channel = channel;
  state->ownerId = ownerId;
  RefillFreeList(state);
  return state;
}

void DisposePluginMidiState(PluginMidiState* state) { delete state; }

void ResetPluginMidiState(PluginMidiState* state) {
  if (state) state->reset.store(1, std::memory_order_release);
}

void StartPluginMidiState(PluginMidiState* state, Handle song, double startTick) {
  RefillFreeList(state);
  state->reset.store(0);
  state->song = song;
  state->tickPosition = startTick < 1.0 ? 1.0 : startTick;
  uint8_t* bytes = SongBytes(song);
  state->tempo = TempoInForceAt(bytes, state->tickPosition, &state->conductorCursor);
  state->secondsPerTick = SecondsPerTickAt(state->tempo, SongResolution(bytes));
  state->lastFrames = 0;
  ResetTrackCursors(state, state->tickPosition);
  state->playing = 1;
}

MidiEventList* ScheduleBufferEvents(PluginMidiState* state, int32_t frames, BufferPieceProc piece) {
  bool reset = state->reset.exchange(0, std::memory_order_acquire) != 0;
  float rate = state->channel && state->channel->sampleRate > 0 ? state->channel->sampleRate : 44100.0f;
  state->blockFrames = frames;
  CarryPendingEvents(state);
  int32_t carried = state->pending.numEvents;
  state->output.numEvents = 0;
  bool songEvents = state->playing && !reset && state->latencyOffset < frames;
  if (songEvents) ScheduleSongPieces(state, frames, piece, rate);
  ReleaseCarriedNotes(state, carried, frames, reset);
  TakeLiveEvents(state);
  SortBlockEvents(&state->output, &state->freeList);
  state->lastFrames = frames;
  StoreChannelSongTime(state);
  return &state->output;
}

void SortBlockEvents(MidiEventList* list, MidiEventList* freeList) {
  int32_t n = list->numEvents;
  if (n < 2 || n > kMidiListCapacity - 1 || freeList->numEvents == 0) return;
  // Insertion sort, stable: an event moves only past events with a larger offset.
  for (int32_t i = 1; i < n; ++i) {
    PluginMidiEvent* e = list->events[i];
    int32_t j = i;
    for (; j > 0 && list->events[j - 1]->deltaFrames > e->deltaFrames; --j) list->events[j] = list->events[j - 1];
    list->events[j] = e;
  }
  // At one offset a key is released before it is struck again.
  for (int32_t i = 0; i < n; ++i) {
    PluginMidiEvent* on = list->events[i];
    if ((uint8_t(on->midiData[0]) & 0xF0) != 0x90 || on->midiData[2] == 0) continue;
    for (int32_t j = i + 1; j < n && list->events[j]->deltaFrames == on->deltaFrames; ++j) {
      if (!SameKeyRelease(on, list->events[j])) continue;
      list->events[i] = list->events[j];
      list->events[j] = on;
      break;
    }
  }
}

void DeliverBufferMidi(EngineChannel*, PluginInstance* chainHead, PluginMidiState* state, int32_t frames) {
  if (!state) return;
  MidiEventList* list = ScheduleBufferEvents(state, frames, QueuePluginMidiEvent);
  SendChainMidi(chainHead, list);
}

bool PlanPluginOutputNoteOff(const VstMidiEvent* event, double tick, double ticksPerSample, uint8_t noteOff[3],
                             double* noteOffTick) {
  uint8_t status = uint8_t(event->midiData[0]);
  if ((status & 0xF0) != 0x90 || event->midiData[2] == 0 || event->noteLength <= 0) return false;
  noteOff[0] = uint8_t(0x80 | (status & 0x0F));
  noteOff[1] = uint8_t(event->midiData[1]) & 0x7F;
  noteOff[2] = uint8_t(event->noteOffVelocity) & 0x7F;
  *noteOffTick = tick + double(event->noteLength) * ticksPerSample;
  return true;
}
