#include "plugins/host/plugin_midi_delivery.h"

#include <atomic>
#include <new>

#include "audio/engine/engine_channels.h"
#include "plugins/host/channel_song_time.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_lists.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/playback_control.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_layout.h"

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
  int32_t kind;    // kBlockEnd, kTempoRecord, kCycleEnd, kSongEnd
  int32_t tempo;
};
enum : int32_t { kBlockEnd = 0, kTempoRecord = 1, kCycleEnd = 2, kSongEnd = 3 };

// The end tick of a song that repeats (header option bit 0), else 0.
double SongRepeatEnd(const uint8_t* song) {
  uint32_t end = (song[kSongOptions] & kSongOptionRepeat) ? ReadU32BE(song + kSongEndTick) : 0;
  return end > 1 ? double(end) : 0.0;
}

// Where the piece from (at, tick) ends: the block's end, the end of the play range, the end of
// a repeating song (which takes the place of the tempo records behind it) or the next tempo
// record. At one tick the play range's end comes first.
PieceEnd FindPieceEnd(PluginMidiState* state, uint8_t* song, double at, double tick, double frames, float rate) {
  double samplesPerTick = state->secondsPerTick * rate;
  PieceEnd end{frames, tick + (frames - at) / samplesPerTick, kBlockEnd, 0};
  if (state->cycleEndTick > tick && state->cycleEndTick <= end.tick)
    end = {at + (state->cycleEndTick - tick) * samplesPerTick, state->cycleEndTick, kCycleEnd, 0};
  double repeatEnd = SongRepeatEnd(song);
  bool beforeEnd = end.kind == kBlockEnd ? repeatEnd <= end.tick : repeatEnd < end.tick;
  if (repeatEnd > tick && beforeEnd) end = {at + (repeatEnd - tick) * samplesPerTick, repeatEnd, kSongEnd, 0};
  const uint8_t* map = GetSongConductorMap(song);
  for (const uint8_t* r = map + state->conductorCursor * kConductorRecordSize; ConductorKind(r) != kConductorEnd;
       r += kConductorRecordSize) {
    if (ConductorKind(r) != kConductorTempo) {
      ++state->conductorCursor;  // meters, keys and volumes play no part here
      continue;
    }
    double t = ConductorTick(r);
    if (t < end.tick && (repeatEnd == 0.0 || t < repeatEnd))
      end = {at + (t - tick) * samplesPerTick, t, kTempoRecord, ScaleBlockTempo(ConductorValue(r))};
    break;
  }
  if (end.samples < at) end.samples = at;
  return end;
}

// The song position goes back to `tick` inside the block (the cycle, or a repeating song's
// start): the tempo and conductor place of the song there, the tracks re-seeked, the notes
// still sounding cut where the jump falls, and the receiving plug-in told of the jump.
void JumpTo(PluginMidiState* state, uint8_t* song, double tick, double at, int32_t carried) {
  state->tempo = TempoInForceAt(song, tick, &state->conductorCursor);
  ResetTrackCursors(state, tick);
  CutNotesAt(state, carried, at);
  QueueTrackBends(state, at);
  if (PluginInstance* receiver = GetPluginInstance(state->receiverId)) receiver->transportCopy = 0;
}

// Step 5: the block cut into pieces at tempo changes, the end of the play range and the end
// of a repeating song, each piece handed to the per-piece routine; the song position moves on
// by the block. Past the play range's end with the cycle off the rest of the block is dropped
// and the song plays no more.
void ScheduleSongPieces(PluginMidiState* state, int32_t frames, BufferPieceProc piece, float rate, int32_t carried) {
  uint8_t* song = SongBytes(state->song);
  int32_t resolution = SongResolution(song);
  double at = state->latencyOffset > 0 ? double(state->latencyOffset) : 0.0;
  double tick = state->tickPosition;
  double span = 0.0;
  for (int32_t guard = 0; at < frames && state->freeList.numEvents > 0 && guard < 4 * kMidiListCapacity; ++guard) {
    state->secondsPerTick = SecondsPerTickAt(state->tempo, resolution);
    PieceEnd end = FindPieceEnd(state, song, at, tick, frames, rate);
    if (end.tick > tick) {
      state->pieceTick = tick;
      state->pieceSample = at;
      if (piece) piece(state, rate, end.tick - tick, at, end.samples - at, end.kind == kSongEnd ? 1 : 0);
      if (state->clickChannel) QueueClickEvents(state, tick, end.tick, rate, at);
      span += end.tick - tick;
    }
    at = end.samples;
    tick = end.tick;
    if (end.kind == kTempoRecord) {
      state->tempo = end.tempo;
      ++state->conductorCursor;
      gTransportClock.tempo = uint16_t(end.tempo);
    } else if (end.kind == kCycleEnd && !state->cycleOn) {
      state->playing = 0;
      break;
    } else if (end.kind == kCycleEnd) {
      tick = state->cycleStartTick;
      JumpTo(state, song, tick, at, carried);
    } else if (end.kind == kSongEnd) {
      if (state->cycleEndTick > tick) state->cycleEndTick -= tick - 1.0;
      tick = 1.0;
      JumpTo(state, song, tick, at, carried);
    }
  }
  state->secondsPerTick = SecondsPerTickAt(state->tempo, resolution);
  state->tickPosition = tick;
  state->lastTickSpan = span;
}

// The release of a note struck in this block that was placed at `from` moves to `to`.
void MoveNoteRelease(PluginMidiState* state, const PluginMidiEvent* on, int32_t from, int32_t to) {
  for (int32_t i = 0; i < state->output.numEvents; ++i) {
    PluginMidiEvent* e = state->output.events[i];
    if (e == on || e->deltaFrames != from || !IsNoteOff(e) || e->midiData[1] != on->midiData[1]) continue;
    if ((uint8_t(e->midiData[0]) & 0x0F) != (uint8_t(on->midiData[0]) & 0x0F)) continue;
    e->deltaFrames = to;
    return;
  }
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
  state->cycleStartTick = state->tickPosition;
  ResetTrackCursors(state, state->tickPosition);
  state->playing = 1;
}

MidiEventList* ScheduleBufferEvents(PluginMidiState* state, int32_t frames, BufferPieceProc piece) {
  bool reset = state->reset.exchange(0, std::memory_order_acquire) != 0;
  float rate = state->channel && state->channel->sampleRate > 0 ? state->channel->sampleRate : 44100.0f;
  state->blockFrames = frames;
  state->childStarts = 0;
  CarryPendingEvents(state);
  int32_t carried = state->pending.numEvents;
  state->output.numEvents = 0;
  bool songEvents = state->playing && !reset && state->latencyOffset < frames;
  if (songEvents) ScheduleSongPieces(state, frames, piece, rate, carried);
  ReleaseCarriedNotes(state, carried, frames, reset);
  TakeLiveEvents(state);
  SortBlockEvents(&state->output);
  state->lastFrames = frames;
  StoreChannelSongTime(state);
  return &state->output;
}

void SortBlockEvents(MidiEventList* list) {
  int32_t n = list->numEvents;
  if (n < 2) return;
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

void TakeClockCycle(PluginMidiState* state) {
  state->cycleOn = gCycleMode;
  state->cycleEndTick = double(std::atomic_ref<uint32_t>(gPlayEndTick).load(std::memory_order_relaxed));
}

void CutNotesAt(PluginMidiState* state, int32_t carried, double cut) {
  int32_t last = BlockOffset(state, cut) - 1;
  if (last < 0) last = 0;
  MidiEventList& pending = state->pending;
  // Notes carried from earlier blocks end at the cut (their release is added with the others).
  for (int32_t i = 0; i < carried && i < pending.numEvents; ++i)
    if (pending.events[i]->noteLength > last) pending.events[i]->noteLength = last;
  // Notes struck in this block: their releases behind the cut move to it, and those that would
  // have ended in a later block get one there.
  int32_t count = pending.numEvents;
  for (int32_t i = carried; i < count; ++i) {
    PluginMidiEvent* on = pending.events[i];
    uint8_t status = uint8_t(on->midiData[0]);
    if ((status & 0xF0) != 0x90 || on->midiData[2] == 0 || on->noteLength < 1) continue;
    int32_t ends = on->deltaFrames + on->noteLength;
    int32_t at = last < on->deltaFrames ? on->deltaFrames : last;
    if (ends <= at) continue;
    on->noteLength = 0;
    if (ends < state->blockFrames) {
      MoveNoteRelease(state, on, ends, at);
    } else if (PluginMidiEvent* off = QueueBlockEvent(state, at, status, uint8_t(on->midiData[1]), 0)) {
      off->flags = on->deltaFrames == at ? kDontReorder : 0;
    }
  }
}

void DeliverBufferMidi(EngineChannel* channel, PluginInstance* chainHead, PluginMidiState* state, int32_t frames) {
  if (!state) return;
  TakeClockCycle(state);
  // The channel's start delay still ahead (set as its chain was about to render).
  state->latencyOffset = channel && channel->latencyOffset > 0 ? channel->latencyOffset : 0;
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
