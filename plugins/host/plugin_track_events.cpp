// The per-piece routine of plug-in instruments: the events of the tracks that play the state's
// device, read through each track's render cursor and placed at their samples, with the rules
// the clock applies to a track's events (mute marks, drum map, controllers, programs,
// velocities, transposition).
#include <atomic>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_track_commands.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_midi_lists.h"
#include "plugins/host/plugin_track_walk.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/instrument_routing.h"
#include "sequencer/midi/volume_controllers.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "song/model/track_drum_map.h"
#include "song/model/track_edit_brackets.h"

namespace {

constexpr int32_t kNoCap = 0x7FFFFFFF;
constexpr uint8_t kEventMuted = 0x82;        // event flags: the event is muted
constexpr uint8_t kBankSelectMsb = 0;
constexpr uint8_t kBankSelectLsb = 32;
constexpr uint8_t kDefaultReleaseVelocity = 64;
constexpr int16_t kWindowBackwardsError = 99;
constexpr int32_t kTrackLeftAlone = -1;

uint32_t PlayTime(const uint8_t* track, uint32_t time) {
  int16_t grid = int16_t(ReadU16BE(track + kTrackPlayGrid));
  if (grid <= 1) return time;
  return ((time + grid / 2 - 1) / grid) * grid + 1;
}

// Velocities keep to 1..127 as the clock's do: an offset never turns a note into a note-off.
uint8_t OffsetVelocity(const uint8_t* track, uint8_t velocity) {
  int32_t v = velocity + int16_t(ReadU16BE(track + kTrackVelocityOffset));
  return uint8_t(v < 1 ? 1 : v > 127 ? 127 : v);
}

// Not played: a muted event, a note the drum map silences, and after a wrap the controllers and
// programs marked as not to be sent again.
bool IsEventHeld(const uint8_t* track, const TrackRenderCursor& c, const uint8_t* e) {
  uint8_t flags = e[kEventFlags];
  if (flags & kEventMuted) return true;
  uint8_t kind = SeqEventKind(e);
  if (kind == kKindNote) return !DrumMapNoteSounds(track, e[kEventData1]);
  if (!c.wrapped) return false;
  if (kind == kKindController) return (flags & kEventNoResendController) != 0;
  if (kind == kKindProgram) return (flags & kEventNoResendProgram) != 0;
  return false;
}

// A note-on with its length in samples; its note-off is added at once when it ends in the
// block (a zero-length note's right behind it, at the same sample), else it stays pending
// until the block it ends in.
void QueueNote(PluginMidiState* state, uint8_t* song, const uint8_t* track, const uint8_t* e, double exact,
               uint8_t status, double tick, float rate, int32_t cap) {
  int32_t offset = BlockOffset(state, exact);
  uint8_t note = FoldKey(int32_t(e[kEventData1] & 0x7F) + int16_t(ReadU16BE(track + kTrackTranspose)));
  uint8_t stored = e[kEventData2];
  if (stored == 0) {
    QueueBlockEvent(state, offset, status, note, 0);
    return;
  }
  if (cap < 1) return;
  uint8_t release = e[kEventData3] <= 127 && e[kEventData3] ? e[kEventData3] : kDefaultReleaseVelocity;
  uint8_t velocity;
  if (stored & 0x80) {
    // The velocity rule: a stored velocity of 128 or more is humanised from the row its
    // release byte names.
    velocity = HumaniseVelocity(e[kEventData3], stored);
    release = kDefaultReleaseVelocity;
  } else {
    velocity = OffsetVelocity(track, stored);
  }
  int32_t duration = GetNoteDuration(e);
  if (duration > cap) duration = cap;
  PluginMidiEvent* on = QueueBlockEvent(state, offset, status, note, velocity);
  if (!on) return;
  on->noteOffVelocity = char(release);
  double samples = duration > 0 ? TicksAsSamples(song, tick, duration, rate) : 0.0;
  QueueNoteOffAfter(state, on, exact, samples);
}

// The song tick at a sample of the piece being scheduled: a looping track's, a section's or a
// child sequence's own ticks do not name the song's tempo there.
double SongTickAt(const PluginMidiState* state, double exact, float rate) {
  double samplesPerTick = state->secondsPerTick * rate;
  if (samplesPerTick <= 0.0) return state->pieceTick;
  return state->pieceTick + (exact - state->pieceSample) / samplesPerTick;
}

// The instrument-table entry the track names in its first channel word (null for none).
uint8_t* TrackInstrument(const uint8_t* track, int32_t* index) {
  *index = ReadU16BE(track + kTrackInstruments) >> 8;
  return GetInstrumentRecord(*index);
}

// Controllers: bank selects are kept in the track's instrument, and every controller may drive
// the instrument that owns it instead of going out. False when it is not sent.
bool PassController(const uint8_t* track, uint8_t device, uint8_t status, uint8_t controller, uint8_t* value) {
  int32_t index = 0;
  if ((controller == kBankSelectMsb || controller == kBankSelectLsb) && TrackInstrument(track, &index))
    TrackInstrumentController(index, controller, *value);
  return MapVolumeController(kDeviceKindPlugin, device, status, controller, value);
}

// A program change of a track that plays an instrument-table entry is stored in the entry.
void StoreProgram(const uint8_t* track, uint8_t program) {
  int32_t index = 0;
  uint8_t* inst = (track[kTrackFlags] & kTrackFlagPlaysInstrument) ? TrackInstrument(track, &index) : nullptr;
  if (!inst) return;
  inst[kInstProgram] = program & 0x7F;
  inst[kInstMidiState] |= kInstStateProgramSent;
}

void QueueTrackEvent(PluginMidiState* state, uint8_t* song, const uint8_t* track, const uint8_t* e, double exact,
                     double tick, float rate, int32_t cap) {
  uint8_t device = 0, channel = 0xFF;
  TrackDevice(track, &device, &channel);
  uint8_t status = EventStatus(e);
  if (channel < 16) status = uint8_t((status & 0xF0) | channel);
  uint8_t kind = status & 0xF0;
  if (kind == kKindNote) {
    QueueNote(state, song, track, e, exact, status, tick, rate, cap);
    return;
  }
  uint8_t data2 = e[kEventData2] > 127 ? 0 : e[kEventData2];
  if (kind == kKindController && !PassController(track, device, status, e[kEventData1], &data2)) return;
  if (kind == kKindProgram) StoreProgram(track, e[kEventData1]);
  QueueBlockEvent(state, BlockOffset(state, exact), status, e[kEventData1], data2);
}

// How a track takes part in a piece: 2 it plays the device, 1 it only starts the child
// sequences it calls, 0 its cursor only keeps in step (muted, another output), -1 it is left
// alone while it is being edited (its list may move).
int32_t TrackMode(const uint8_t* track, uint32_t device) {
  uint8_t& playFlags = const_cast<uint8_t&>(track[kTrackPlayFlags]);
  if (std::atomic_ref<uint8_t>(playFlags).load(std::memory_order_acquire) & kTrackPlayFlagEditing)
    return kTrackLeftAlone;
  uint8_t flags = track[kTrackFlags];
  if ((flags & kTrackFlagSilent) || !(flags & kTrackFlagAudible)) return 0;
  uint8_t trackDevice = 0, channel = 0;
  if (TrackDevice(track, &trackDevice, &channel) && trackDevice == device) return 2;
  return track[kTrackChildCount] > 0 ? 1 : 0;
}

}  // namespace

bool TrackDevice(const uint8_t* track, uint8_t* device, uint8_t* channel) {
  *channel = track[kTrackDeviceChannel1];
  if (track[kTrackFlags] & kTrackFlagPlaysInstrument) {
    int32_t index = 0;
    const uint8_t* inst = TrackInstrument(track, &index);
    if (!inst || !(inst[kInstPartMask] & 1) || inst[kInstDeviceKinds] != kDeviceKindPlugin) return false;
    *device = inst[kInstPorts];
    *channel = inst[kInstChannels] & 0x0F;
    return true;
  }
  *device = track[kTrackMidiOutput];
  return track[kTrackType] == kDeviceKindPlugin;
}

bool QueueTrackEventsInSpan(PluginMidiState* state, const uint8_t* entry, TrackRenderCursor* cursor, double startTime,
                            double endTime, float rate, double pieceStart, int32_t mode, int32_t noteLengthCap) {
  if (endTime < startTime) {
    LatchEngineError(kWindowBackwardsError);
    cursor->ended = 1;
    return false;
  }
  uint8_t* song = SongBytes(state->song);
  uint32_t bytes = 0;
  uint8_t* list = TrackEventBytes(entry, &bytes);
  if (!list) return false;
  TrackRenderCursor& c = *cursor;
  while (c.offset < bytes && state->freeList.numEvents > 0) {
    uint8_t* e = list + c.offset;
    uint32_t length = SeqEventLengthWithin(e, bytes - c.offset);
    if (length == 0) return false;  // the end record (or a damaged list): the track ends
    uint32_t time = SeqEventTime(e);
    if (double(time) >= endTime) break;
    uint8_t kind = SeqEventKind(e);
    // An event before the window was left over when the free list ran out: it goes out at once.
    uint32_t played = PlayTime(entry, time);
    double exact = pieceStart + (double(played) - startTime) * state->secondsPerTick * rate;
    if (exact < pieceStart) exact = pieceStart;
    if (mode == 0) {
      // Kept in step only.
    } else if (kind == kKindSequenceRef) {
      StartRenderChild(state, entry, e, exact);
    } else if (mode == 2 && kind >= kKindNote && kind <= kKindPitchBend && !IsEventHeld(entry, c, e)) {
      QueueTrackEvent(state, song, entry, e, exact, SongTickAt(state, exact, rate), rate, noteLengthCap);
    }
    c.offset += length;
  }
  return true;
}

void QueueTrackBends(PluginMidiState* state, double at) {
  uint8_t* song = SongBytes(state->song);
  if (state->noEvents || !song) return;
  int32_t count = ReadU16BE(song + kSongTrackCount);
  for (int32_t i = 0; i < count && i < kMaxRenderTracks; ++i) {
    const uint8_t* entry = TrackEntryAt(song, i);
    if (!entry || TrackMode(entry, state->ownerId) != 2) continue;
    uint16_t bend = ReadU16BE(entry + kTrackCentre72);
    if (bend == 0) continue;
    uint8_t device = 0, channel = 0;
    TrackDevice(entry, &device, &channel);
    uint8_t status = uint8_t(kKindPitchBend | (channel < 16 ? channel : 0));
    QueueBlockEvent(state, BlockOffset(state, at), status, uint8_t(bend & 0x7F), uint8_t((bend >> 7) & 0x7F));
  }
}

void QueuePluginMidiEvent(PluginMidiState* state, float rate, double tickSpan, double pieceStart, double samples,
                          uint8_t) {
  uint8_t* song = SongBytes(state->song);
  if (state->noEvents || !song) return;
  // Edits of a track wait while the engine walks the tracks (the track-edit brackets).
  gEngineBusyByte.store(1, std::memory_order_seq_cst);
  int32_t count = ReadU16BE(song + kSongTrackCount);
  for (int32_t i = 0; i < count && i < kMaxRenderTracks; ++i) {
    const uint8_t* entry = TrackEntryAt(song, i);
    if (!entry) break;
    TrackRenderCursor& cursor = state->cursors[i];
    int32_t mode = TrackMode(entry, state->ownerId);
    if (mode == kTrackLeftAlone) {
      cursor.reseek = 1;
      continue;
    }
    // An edited track finds its place again in the list as it now stands.
    if (cursor.reseek) PlaceTrackCursor(&cursor, entry, state->pieceTick);
    PlayTrackInPiece(state, entry, &cursor, tickSpan, rate, pieceStart, mode, kNoCap);
  }
  PlayChildrenInPiece(state, rate, pieceStart, samples, TrackMode, kNoCap);
  gEngineBusyByte.store(0, std::memory_order_release);
}
