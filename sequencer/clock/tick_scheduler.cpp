#include "sequencer/clock/tick_scheduler.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/output_activity.h"
#include "sequencer/clock/section_reader.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/track_levels.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"
#include "sequencer/midi/midi_short_messages.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/midi/volume_controllers.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "song/model/track_sections.h"

uint32_t gPlayEndTick = 0;

namespace {

TransportClock& C() { return gTransportClock; }

std::vector<std::unique_ptr<SongPlayState>> gSongStates;
SongPlayState* gRoot = nullptr;
uint8_t gProgramSent[256] = {};  // bit 7: program sent; low bits the program

uint8_t* SongBytes(Handle song) { return song ? reinterpret_cast<uint8_t*>(*song) : nullptr; }

// The TrackEntry with the given number, or null; the walk is bounded by the block.
uint8_t* TrackAt(uint8_t* song, Handle h, int32_t index) {
  Size size = GetHandleSize(h);
  int32_t count = ReadU16BE(song + kSongTrackCount);
  Size offset = kSongHeaderSize;
  for (int32_t i = 0; i < count; ++i) {
    if (offset + kTrackEntrySize > size) return nullptr;
    int32_t length = ReadU16BE(song + offset + kTrackLength);
    if (length < kTrackEntrySize || offset + length > size) return nullptr;
    if (i == index) return song + offset;
    offset += length;
  }
  return nullptr;
}

struct EventList {
  uint8_t* bytes = nullptr;
  uint32_t size = 0;
};

EventList ListOf(const uint8_t* track) {
  Handle h(ReadU32BE(track + kTrackEventList));
  if (!h || !*h) return {};
  return {reinterpret_cast<uint8_t*>(*h), uint32_t(GetHandleSize(h))};
}

// The length of the record at offset, or 0 at the end record or a damaged record.
uint32_t StepAt(const EventList& list, uint32_t offset) {
  if (offset >= list.size || list.size - offset < kShortEventSize) return 0;
  const uint8_t* e = list.bytes + offset;
  if (SeqEventTime(e) == 0 || e[kEventStatus] < 0x10) return 0;
  return EventStepWithin(e, list.size - offset);
}

// From offset, the first event whose time is at least tick (or the end record).
uint32_t SeekInList(const EventList& list, uint32_t offset, uint32_t tick) {
  while (offset < list.size && list.size - offset >= kShortEventSize) {
    const uint8_t* e = list.bytes + offset;
    if (SeqEventTime(e) == 0 || SeqEventTime(e) >= tick) return offset;
    uint32_t step = StepAt(list, offset);
    if (step == 0) return kNoCursor;
    offset += step;
  }
  return kNoCursor;
}

// The span a track plays now: its current section, or its whole length from tick 1.
SectionSpan TrackSpan(const uint8_t* entry, const TrackPlayState& t) {
  SectionSpan span;
  span.length = ReadU32BE(entry + kTrackTickLength);
  if (entry[kTrackFlags] & kTrackLoops) GetSection(Handle(ReadU32BE(entry + kTrackSectionList)), t.section, &span);
  return span;
}

void ResetTrack(TrackPlayState& t, const uint8_t* entry, uint32_t position) {
  t.flagsB.store(0);
  t.requests.store(0);
  LoadTrackPlaySettings(entry, &t);
  t.typeFlags &= uint16_t(~kTrackTypeWrapped);
  Handle drum(ReadU32BE(entry + kTrackDrumData));
  if (drum && GetHandleSize(drum) >= 128) t.typeFlags |= kTrackTypeDrum;
  else t.typeFlags &= uint16_t(~kTrackTypeDrum);
  EventList list = ListOf(entry);
  // An inactive track plays nothing until the next reset.
  if (!list.bytes || (entry[kTrackFlags] & kTrackFlagSilent)) {
    t.cursor = kNoCursor;
    t.trackTick = 0;
    return;
  }
  t.section = 0;
  t.sectionRepeats = 0;
  Handle sectionList(ReadU32BE(entry + kTrackSectionList));
  bool sections = (entry[kTrackFlags] & kTrackLoops) && CountSections(sectionList) > 0;
  if (sections) {
    SectionPlace place = PlaceInSections(sectionList, position, t.mode == kTrackPatternStays);
    t.section = place.section;
    t.sectionRepeats = place.repeatsDone;
    t.trackTick = place.trackTick;
  }
  SectionSpan span = TrackSpan(entry, t);
  if (!sections) {
    bool loops = (entry[kTrackFlags] & kTrackLoops) && span.length > 1;
    t.trackTick = loops ? position % (span.length - 1) : position;
  }
  t.cursor = SeekInList(list, 0, span.start + t.trackTick);
}

// At the end of a looping track's span: the next section (or the same one again), track tick
// 1 and the cursor at the span's first event.
SectionSpan WrapTrack(const uint8_t* entry, TrackPlayState& t, const EventList& list) {
  Handle sections(ReadU32BE(entry + kTrackSectionList));
  if (CountSections(sections) > 0)
    t.section = AdvanceSectionIndex(sections, t.section, &t.sectionRepeats, t.mode == kTrackPatternStays);
  SectionSpan span = TrackSpan(entry, t);
  t.trackTick = 1;
  t.typeFlags |= kTrackTypeWrapped;
  if (list.bytes) t.cursor = SeekInList(list, 0, span.start);
  return span;
}

// The loop length of a song whose conductor map repeats (header option bit 0): its end tick,
// so that the map repeats with the period end tick - 1; 0 when it does not repeat.
uint32_t SongLoopLength(const uint8_t* song) {
  if (!(song[kSongOptions] & kSongOptionRepeat)) return 0;
  uint32_t end = ReadU32BE(song + kSongEndTick);
  return end > 1 ? end : 0;
}

// The conductor tick for song position tick (the tick before the next one played).
uint32_t ConductorTickFor(const uint8_t* song, uint32_t tick) {
  uint32_t loop = SongLoopLength(song);
  return loop ? tick % (loop - 1) : tick;
}

SongPlayState* PrepareSong(Handle song, uint32_t position, int32_t depth) {
  uint8_t* bytes = SongBytes(song);
  if (!bytes || GetHandleSize(song) < kSongHeaderSize) return nullptr;
  gSongStates.push_back(std::make_unique<SongPlayState>());
  SongPlayState* s = gSongStates.back().get();
  s->song = song;
  s->conductorTick = ConductorTickFor(bytes, position);
  s->conductorCursor = FindConductorRecord(bytes, s->conductorTick + 1);
  int32_t count = ReadU16BE(bytes + kSongTrackCount);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = TrackAt(SongBytes(song), song, i);
    if (!entry) break;
    auto t = std::make_unique<TrackPlayState>();
    t->index = i;
    t->levelRow = depth == 0 ? i : -1;
    ResetTrackPlayRecord(entry);  // main thread: the chase that follows writes the bend in force
    ResetTrack(*t, entry, position);
    int32_t children = entry[kTrackChildCount];
    for (int32_t c = 0; c < children && depth < kMaxChildDepth; ++c) {
      Handle child(ReadU32BE(entry + kTrackChildTable + kChildCellSize * c));
      t->children.push_back(child ? PrepareSong(child, 0, depth + 1) : nullptr);
      entry = TrackAt(SongBytes(song), song, i);  // the block is unchanged; re-read anyway
      if (!entry) break;
    }
    s->tracks.push_back(std::move(t));
  }
  return s;
}

const uint8_t* ConductorMapOf(const uint8_t* song, uint32_t* size) {
  Handle h(ReadU32BE(song + kSongConductorMap));
  if (!h || !*h) {
    *size = kConductorRecordSize;
    return gEmptyConductorMap;
  }
  *size = uint32_t(GetHandleSize(h));
  return reinterpret_cast<const uint8_t*>(*h);
}

void ApplyTempoRecord(uint16_t tempo) {
  C().tempo = tempo;
  SetTempoFromTable(ScaleTempoValue(tempo, 0));
}

// A repeating song's conductor starts again at tick 1 when it reaches the loop length, with
// the meter, key and tempo of the song's start.
void RepeatConductor(SongPlayState& s, const uint8_t* song) {
  uint32_t loop = SongLoopLength(song);
  if (loop == 0 || s.conductorTick < loop) return;
  s.conductorTick = 1;
  s.conductorCursor = FindConductorRecord(song, 1);
  if (song[kSongBeatsPerBar]) C().beatsPerBar = song[kSongBeatsPerBar];
  if (ReadU16BE(song + kSongTicksPerBeat)) C().ticksPerBeat = ReadU16BE(song + kSongTicksPerBeat);
  gPlayingKey = song[kSongKey];
  if (uint16_t tempo = ReadU16BE(song + kSongTempo)) ApplyTempoRecord(tempo);
}

// Steps the conductor map of the playing song; false at its end record (end of song).
bool StepConductor(SongPlayState& s, uint8_t* song) {
  uint32_t size = 0;
  const uint8_t* map = ConductorMapOf(song, &size);
  uint32_t& at = s.conductorCursor;
  while (at + kConductorRecordSize <= size) {
    const uint8_t* r = map + at;
    if (ConductorKind(r) == kConductorEnd) break;
    if (uint32_t(ConductorTick(r)) > s.conductorTick) break;
    switch (ConductorKind(r)) {
      case kConductorMeter:
        C().beatsPerBar = r[kConductorFlagsOffset] & kConductorBeatsMask;
        C().ticksPerBeat = ConductorValue(r);
        break;
      case kConductorKey:
        gPlayingKey = r[kConductorValueOffset];
        break;
      case kConductorMasterVolume:
        if ((gConductorVolumeOptions & kConductorVolumeOptionMask) == kConductorVolumeOn) {
          std::atomic_ref<uint32_t>(gTransportFlagWord).fetch_or(kTransportConductorVolume);
          ApplyConductorVolume(ConductorValue(r), 1);
        }
        break;
      default:
        break;
    }
    at += kConductorRecordSize;
  }
  RepeatConductor(s, song);
  // Tempo look-ahead: a tempo change at the next tick takes effect now, so that the period
  // armed by the next fire is already the new one.
  for (uint32_t a = at; a + kConductorRecordSize <= size; a += kConductorRecordSize) {
    const uint8_t* r = map + a;
    if (ConductorKind(r) == kConductorEnd || uint32_t(ConductorTick(r)) != s.conductorTick + 1)
      break;
    if (ConductorKind(r) == kConductorTempo) ApplyTempoRecord(ConductorValue(r));
  }
  return true;
}

void CountBeats() {
  if (++C().tickInBeat < C().ticksPerBeat) return;
  C().tickInBeat = 0;
  if (++C().beatInBar < C().beatsPerBar) return;
  C().beatInBar = 0;
  ++C().bar;
}

// After a wrap or a re-seek, an event marked with mark is not sent again.
bool IsFilteredResend(const TrackPlayState& t, const uint8_t* event, uint8_t mark) {
  return (t.typeFlags & kTrackTypeWrapped) && (event[kEventFlags] & mark);
}

void SendToInstruments(const uint8_t* entry, const uint8_t* event, TrackPlayState& t) {
  uint8_t kind = SeqEventKind(event);
  int32_t count = entry[kTrackChannelCount];
  if (count > kTrackInstrumentSlots) count = kTrackInstrumentSlots;
  for (int32_t i = 0; i < count; ++i) {
    int32_t index = ReadU16BE(entry + kTrackInstruments + 2 * i) >> 8;
    uint8_t* inst = GetInstrumentRecord(index);
    if (!inst) continue;
    uint8_t mask = inst[kInstPartMask];
    for (int32_t p = 0; p < kInstrumentParts; ++p) {
      if (!(mask & (1u << p))) continue;
      DriverProcId send = ReadU32BE(inst + kInstDriverProcs + 4 * p);
      uint8_t status = uint8_t(kind | (inst[kInstChannels + p] & 0x0F));
      if (kind == kKindProgram) {
        if (p != 0 || IsFilteredResend(t, event, kEventNoResendProgram)) break;
        gProgramSent[index & 0xFF] = uint8_t(0x80 | (event[kEventData1] & 0x7F));
      }
      SendTrackEvent(send, event, inst[kInstPorts + p], &t, inst[kInstDeviceKinds + p], status,
                     kind);
      if (kind == kKindNote && p == 0) ReportInstrumentActivity(index, event[kEventData2] & 0x7F);
      if (kind == kKindProgram) break;
    }
  }
}

// Takes the track's play settings from its record when the main thread asked for it.
void TakeSettingsRequest(const uint8_t* entry, TrackPlayState& t) {
  if (!(t.requests.load(std::memory_order_relaxed) & kTrackRequestSettings)) return;
  if (!(t.requests.fetch_and(uint8_t(~kTrackRequestSettings)) & kTrackRequestSettings)) return;
  uint8_t mode = t.mode;
  LoadTrackPlaySettings(entry, &t);
  // A track that changes between counting and playing finds its cursor again, so that it
  // goes on from where it stands, not from where its cursor was parked.
  if (t.mode != mode) t.flagsB.fetch_or(kTrackReseek);
}

// Plays the events of one track that are due; entry and song stay in place meanwhile.
void PlayTrack(SongPlayState& s, uint8_t* songBytes, uint8_t* entry, TrackPlayState& t) {
  uint8_t flagsA = entry[kTrackFlags];
  EventList list = ListOf(entry);
  TakeSettingsRequest(entry, t);
  uint8_t flagsB = t.flagsB.load();
  // A pattern track plays only the child sequences it calls; without any it only counts.
  bool pattern = t.mode != 0;
  bool countOnly = (flagsB & kTrackCountOnly) || (pattern && entry[kTrackChildCount] == 0);
  if (flagsB & kTrackReseek) {
    ResetTrack(t, entry, C().songTick - 1);
    t.typeFlags |= kTrackTypeWrapped;
    t.flagsB.store(kTrackReseeked);
  } else if (t.cursor == kNoCursor || !list.bytes || countOnly) {
    if (t.cursor == kNoCursor && !countOnly) return;
    SectionSpan span = TrackSpan(entry, t);
    if (++t.trackTick >= span.length && span.length > 1 && (flagsA & kTrackLoops)) {
      uint32_t cursor = t.cursor;
      WrapTrack(entry, t, list);
      t.cursor = cursor;  // a parked cursor stays parked
    }
    return;
  }
  // A flush request ends the track's notes only when the track no longer sounds.
  if ((t.requests.fetch_and(uint8_t(~kTrackRequestFlush)) & kTrackRequestFlush) &&
      !(flagsA & kTrackSounds))
    FlushNoteOffsForTrack(&t);
  ++t.trackTick;
  SectionSpan span = TrackSpan(entry, t);
  bool loops = (flagsA & kTrackLoops) && span.length > 1;
  if (loops && t.trackTick >= span.length) {
    span = WrapTrack(entry, t, list);
    loops = span.length > 1;
  }
  uint32_t play = t.trackTick;
  if (t.grid > 0) play = (play / uint32_t(t.grid)) * uint32_t(t.grid) + uint32_t(t.grid) / 2;
  bool sounds = (s.flags & 1) && (flagsA & kTrackSounds);
  Handle drum(ReadU32BE(entry + kTrackDrumData));
  while (t.cursor != kNoCursor && t.cursor + kShortEventSize <= list.size) {
    const uint8_t* e = list.bytes + t.cursor;
    uint32_t time = SeqEventTime(e);
    if (time == 0) break;
    // The event's tick in the span (events before it count as due at once).
    uint32_t at = time >= span.start ? time - span.start + 1 : 0;
    if (at > play) break;
    uint32_t step = StepAt(list, t.cursor);
    if (step == 0) {
      t.cursor = kNoCursor;  // damaged record: the track stops here
      break;
    }
    uint8_t status = e[kEventStatus];
    if (loops && at >= span.length) break;
    if ((status & 0xF0) == kKindSequenceRef) {
      StartChildSequence(&s, &t, e, (flagsA & kTrackSounds) != 0);
    } else if (pattern) {
      // Other events of a pattern track are passed over, so that the references after them
      // still play.
    } else if ((status & 0xF0) == kKindVariable) {
      if (sounds) SendTrackSysEx(entry, e, 0);
    } else if (status >= 0x80 && sounds) {
      bool held = false;
      if ((t.typeFlags & kTrackTypeDrum) && (status & 0xF0) == kKindNote && drum) {
        const uint8_t* notes = reinterpret_cast<const uint8_t*>(*drum);
        held = !(notes[e[kEventData1] & 0x7F] & 0x04);
      }
      if (!held) {
        if ((status & 0xF0) == kKindNote) s.flags |= kSongPlayNoteOffsPending;
        if (flagsA & kTrackInstrumentTrack) {
          SendToInstruments(entry, e, t);
        } else {
          SendTrackEvent(ReadU32BE(entry + kTrackDriverProc), e, entry[kTrackMidiOutput], &t,
                         entry[kTrackType], status, status & 0xF0);
          if ((status & 0xF0) == kKindNote) ReportPortActivity(entry[kTrackMidiOutput], e[kEventData2] & 0x7F);
        }
      }
    }
    t.cursor += step;
  }
  (void)songBytes;
}

void PlaySong(SongPlayState& s) {
  uint8_t* bytes = SongBytes(s.song);
  if (!bytes) return;
  if (s.flags & 0x02) {
    for (auto& t : s.tracks) FlushNoteOffsForTrack(t.get());
    s.flags &= uint8_t(~0x02);
  }
  for (auto& t : s.tracks) {
    uint8_t* entry = TrackAt(bytes, s.song, t->index);
    if (!entry) break;
    PlayTrack(s, bytes, entry, *t);
  }
}

void StepChildCountdowns() {
  SongPlayState** link = &gRoot->nextActive;
  while (*link) {
    SongPlayState* child = *link;
    if (child->countdown > 0) --child->countdown;
    if (child->countdown == 0) {
      *link = child->nextActive;
      child->nextActive = nullptr;
      child->active = false;
      for (auto& t : child->tracks) FlushNoteOffsForTrack(t.get());
      continue;
    }
    link = &child->nextActive;
  }
}

}  // namespace

void PlaceBeatCounters(uint8_t* song, uint32_t tick, bool withMeter) {
  ConductorState meter;
  int32_t bar = 0, beat = 0, tickInBeat = 0;
  TickToBarBeatTickInSong(song, &meter, int32_t(tick), &bar, &beat, &tickInBeat);
  if (meter.ticksPerBeat <= 0 || meter.ticksPerBeat > 0xFFFF || meter.beatsPerBar <= 0) return;
  if (withMeter) {
    C().beatsPerBar = uint16_t(meter.beatsPerBar);
    C().ticksPerBeat = uint16_t(meter.ticksPerBeat);
  }
  if (beat >= C().beatsPerBar || tickInBeat >= C().ticksPerBeat) return;
  C().bar = uint32_t(bar) + 1;
  C().beatInBar = uint16_t(beat);
  C().tickInBeat = uint16_t(tickInBeat);
}

OSErr PreparePlayback(Handle song, uint32_t tick) {
  ReleasePlayback();
  ClearTrackLevels();
  SetTrackLevelHoldTicks(uint32_t(gTicksPerQuarter > 0 ? gTicksPerQuarter / 4 : 1));
  gRoot = PrepareSong(song, tick, 0);
  if (!gRoot) return paramErr;
  uint8_t* bytes = SongBytes(song);
  C().playingSong = song;
  C().songTick = tick;
  C().startTick = tick;
  C().ticksPerBeat = ReadU16BE(bytes + kSongTicksPerBeat);
  C().beatsPerBar = bytes[kSongBeatsPerBar];
  if (C().ticksPerBeat == 0) C().ticksPerBeat = 480;
  if (C().beatsPerBar == 0) C().beatsPerBar = 4;
  C().tickInBeat = C().beatInBar = 0;
  C().bar = 1;
  C().hostTimeValid = 0;
  gPlayEndTick = ReadU32BE(bytes + kSongEndTick);
  uint16_t tempo = ReadU16BE(bytes + kSongTempo);
  ApplyTempoRecord(tempo ? tempo : 1100);
  // Tempo changes up to the start position, and one at the first tick played.
  uint32_t size = 0;
  const uint8_t* map = ConductorMapOf(bytes, &size);
  for (uint32_t a = 0; a + kConductorRecordSize <= size; a += kConductorRecordSize) {
    const uint8_t* r = map + a;
    if (ConductorKind(r) == kConductorEnd || uint32_t(ConductorTick(r)) > tick + 1) break;
    if (ConductorKind(r) == kConductorTempo) ApplyTempoRecord(ConductorValue(r));
    if (ConductorKind(r) == kConductorMeter) {
      C().beatsPerBar = r[kConductorFlagsOffset] & kConductorBeatsMask;
      C().ticksPerBeat = ConductorValue(r);
    }
  }
  PlaceBeatCounters(bytes, tick + 1, false);
  return noErr;
}

void ReleasePlayback() {
  gRoot = nullptr;
  gSongStates.clear();
  C().playingSong = Handle();
}

SongPlayState* GetPlayingSongState() { return gRoot; }

void FlushNoteOffsOfSong(SongPlayState* song) {
  if (!song) return;
  for (auto& t : song->tracks) {
    if (!HasPendingNoteOffs()) break;
    FlushNoteOffsForTrack(t.get());
  }
}

void FlushNoteOffsOfAllSongs() {
  for (SongPlayState* s = gRoot; s; s = s->nextActive) {
    FlushNoteOffsOfSong(s);
    s->flags &= uint8_t(~kSongPlayNoteOffsPending);
  }
}

TrackPlayState* GetTrackPlayState(int32_t index) {
  if (!gRoot || index < 0 || index >= int32_t(gRoot->tracks.size())) return nullptr;
  return gRoot->tracks[index].get();
}

void RequestTrackReseek(int32_t index) {
  if (TrackPlayState* t = GetTrackPlayState(index)) t->flagsB.fetch_or(kTrackReseek);
}

void RequestTrackFlush(int32_t index) {
  if (TrackPlayState* t = GetTrackPlayState(index)) t->requests.fetch_or(kTrackRequestFlush);
}

void RequestTrackSettingsReload(Handle song, int32_t index) {
  for (auto& s : gSongStates) {
    if (s->song != song || index < 0 || index >= int32_t(s->tracks.size())) continue;
    s->tracks[size_t(index)]->requests.fetch_or(kTrackRequestSettings);
  }
}

void LoadTrackPlaySettings(const uint8_t* entry, TrackPlayState* track) {
  int16_t grid = ReadI16BE(entry + kTrackPlayGrid);
  track->grid = grid > 0 ? grid : 0;
  track->transpose = ReadI16BE(entry + kTrackTranspose);
  track->velocityOffset = ReadI16BE(entry + kTrackVelocityOffset);
  track->mode = entry[kTrackPlayMode];
}

uint32_t FindConductorRecord(const uint8_t* song, uint32_t tick) {
  uint32_t size = 0;
  const uint8_t* map = ConductorMapOf(song, &size);
  uint32_t a = 0;
  while (a + kConductorRecordSize <= size) {
    const uint8_t* r = map + a;
    if (ConductorKind(r) == kConductorEnd || uint32_t(ConductorTick(r)) >= tick) return a;
    a += kConductorRecordSize;
  }
  return a >= kConductorRecordSize ? a - kConductorRecordSize : 0;
}

void AdvanceConductorTick() {
  if (gRoot) ++gRoot->conductorTick;
}

namespace {

// The track's meter shows the note's velocity while it sounds, and at least a sixteenth.
void ReportNoteLevel(int32_t row, uint8_t velocity, uint32_t duration) {
  uint32_t hold = GetTrackLevelHoldTicks();
  ReportTrackLevel(row, TrackLevel{velocity, velocity, false}, C().songTick, (duration > hold ? duration : hold) + 1);
}

}  // namespace

uint8_t FoldKey(int32_t key) {
  // In whole octaves at once: a transpose read from a document may be any 16-bit value.
  if (key > 127) key -= (key - 127 + 11) / 12 * 12;
  if (key < 0) key += (-key + 11) / 12 * 12;
  return uint8_t(key);
}

int32_t SendTrackEvent(DriverProcId send, const uint8_t* event, uint8_t output,
                       TrackPlayState* track, uint8_t device, uint8_t status, uint8_t kind) {
  // A plug-in instrument takes the track's events in the engine's render, each at its sample:
  // the clock sends it nothing (its notes still show on the track's meter).
  bool rendered = device == kDeviceKindPlugin;
  if (kind != kKindNote && rendered) return 0;
  if (kind != kKindNote) {
    uint8_t d1 = event[kEventData1], d2 = event[kEventData2];
    if (kind == kKindController && track && IsFilteredResend(*track, event, kEventNoResendController))
      return 0;
    // Controllers to MIDI outputs may drive an instrument's volume or pan instead.
    if (kind == kKindController && device < kMidiDeviceKinds && device != kDeviceKindNoOutput && !(d2 & 0x80) &&
        !MapVolumeController(device, output, status, d1, &d2))
      return 0;
    if (kind == kKindPolyPressure || kind > kKindNote) {
      // Short events keep their data at 6 and 7; bit 7 of the second marks a two-byte one.
      if (d2 & 0x80) return SendTwoByteMessage(send, output, status, d1);
      return SendShortMessage(send, output, status, d1, d2);
    }
    return SendShortMessage(send, output, status, d1, d2);
  }
  if (!C().freeNoteOffs) return 0;
  int32_t transpose = track ? track->transpose : 0;
  uint8_t key = FoldKey(int32_t(event[kEventData1] & 0x7F) + transpose);
  uint8_t stored = event[kEventData2];
  uint8_t release = event[kEventData3];
  uint8_t velocity;
  if (stored & 0x80) {
    // A humanised note keeps its spread (a row of the random table) in the release byte.
    velocity = HumaniseVelocity(release, stored);
    release = 64;
  } else {
    int32_t v = int32_t(stored) + (track ? track->velocityOffset : 0);
    velocity = uint8_t(v < 1 ? 1 : v > 127 ? 127 : v);
  }
  uint32_t duration = GetNoteDuration(event);
  if (rendered) {
    if (track && track->levelRow >= 0 && velocity > 0) ReportNoteLevel(track->levelRow, velocity, duration);
    return 0;
  }
  if (!ScheduleNoteOff(duration, false, status, key, release, output, send, track, nullptr)) return 0;
  if (track && track->levelRow >= 0) ReportNoteLevel(track->levelRow, velocity, duration);
  return SendShortMessage(send, output, status, key, velocity);
}

void StartChildSequence(SongPlayState* parent, TrackPlayState* track, const uint8_t* event,
                        bool sounds) {
  (void)parent;
  uint32_t slot = ReadU16BE(event + kEventChildIndex) / 4;
  if (!track || slot >= track->children.size() || !gRoot) return;
  SongPlayState* child = track->children[slot];
  if (!child || child == gRoot) return;
  if (!child->active) {
    child->active = true;
    child->startTick = SeqEventTime(event) - 1;
    SongPlayState** link = &gRoot->nextActive;
    while (*link) link = &(*link)->nextActive;
    *link = child;
    child->nextActive = nullptr;
  }
  child->countdown = GetEventLongDuration(event);
  child->flags = uint8_t((child->flags & ~1) | (sounds ? 1 : 0));
  uint8_t* childBytes = SongBytes(child->song);
  for (auto& t : child->tracks) {
    t->typeFlags &= uint16_t(~kTrackTypeWrapped);
    t->trackTick = 0;
    t->flagsB.fetch_and(uint8_t(~(kTrackCountOnly | kTrackReseek)));
    uint8_t* entry = childBytes ? TrackAt(childBytes, child->song, t->index) : nullptr;
    if (entry && !(entry[kTrackFlags] & kTrackKeepSections)) {
      t->section = 0;
      t->sectionRepeats = 0;
    }
    // The cursor at the first event of the span the track plays now.
    EventList list = entry ? ListOf(entry) : EventList();
    t->cursor = list.bytes ? SeekInList(list, 0, TrackSpan(entry, *t).start) : 0;
  }
}

uint32_t TickScheduler(void*) {
  if (!C().hostTimeValid) RecordHostTimeBase();
  CountBeats();
  AdvanceNoteOffQueueForTick();
  if (C().stopAtTick != 0 && C().songTick == C().stopAtTick) {
    C().stopAtTick = 0;
    C().stoppedAtTick = C().songTick;
    std::atomic_ref<uint32_t>(gTransportFlagWord).fetch_or(0x04);
  }
  if (!gRoot) return 0;
  uint32_t endTick = std::atomic_ref<uint32_t>(gPlayEndTick).load(std::memory_order_relaxed);
  if (endTick != 0 && C().songTick >= endTick && !TryPlaybackCycle()) {
    std::atomic_ref<uint32_t>(gTransportFlagWord).fetch_or(0x10);
    return 0;
  }
  uint8_t* bytes = SongBytes(gRoot->song);
  if (!bytes) return 0;
  StepConductor(*gRoot, bytes);
  if (C().tickHook) C().tickHook();
  if (IsArpeggiatorServiceActive()) ArpServiceAll();
  StepChildCountdowns();
  PlaySong(*gRoot);
  for (SongPlayState* child = gRoot->nextActive; child; child = child->nextActive) {
    PlaySong(*child);
  }
  return 0;
}
