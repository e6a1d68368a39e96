#include "song/conductor/timebase.h"

#include "shell/base/arithmetic.h"
#include "shell/base/busy_cursor.h"
#include "song/conductor/conductor_document_header.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/conductor_lock_state.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/conductor/markers.h"
#include "song/conductor/tempo_scaling.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase_rescale.h"
#include "song/events/event_index.h"
#include "song/events/play_range.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

int32_t gTicksPerQuarter = kDefaultTicksPerQuarter;
int32_t gResolutionBeforeChange = kDefaultTicksPerQuarter;
int32_t gWholeNoteTicks = 4 * kDefaultTicksPerQuarter;
int32_t gEighthNoteTicks = kDefaultTicksPerQuarter / 2;
int32_t gSixteenthNoteTicks = kDefaultTicksPerQuarter / 4;
int32_t gTripletEighthTicks = kDefaultTicksPerQuarter / 3;
int32_t gMidiClockTicks = kDefaultTicksPerQuarter / 24;
int32_t gNoteValueTicks[kNoteValueCount] = {};
const int16_t kNoteValueBase[kNoteValueCount] = {960, 720, 640, 480, 360, 320, 240, 180, 160,
                                                 120, 90,  80,  60,  45,  40,  30,  20,  15};
const uint8_t gMeterTable[kMeterTableCount] = {0x14, 0x24, 0x34, 0x38, 0x44,
                                               0x54, 0x68, 0x78, 0xC8};

void ApplyTimebase() {
  SpinBusyCursor();
  gWholeNoteTicks = 4 * gTicksPerQuarter;
  gEighthNoteTicks = gTicksPerQuarter / 2;
  gSixteenthNoteTicks = gTicksPerQuarter / 4;
  gTripletEighthTicks = gTicksPerQuarter / 3;
  gMidiClockTicks = gTicksPerQuarter / 24;
  EnsureMeterDefaults();
  BuildTempoTables();
  for (int32_t i = 0; i < kNoteValueCount; ++i)
    gNoteValueTicks[i] = int32_t((int64_t(kNoteValueBase[i]) * gWholeNoteTicks) / 960);
}

void EnsureMeterDefaults() {
  ConductorState& s = gConductorState;
  if (s.ticksPerBeat == 0) {
    gTempoTableResolution = gTicksPerQuarter;
    s.ticksPerBeat = gTicksPerQuarter;
    s.beatsPerBar = 4;
    s.ticksPerBar = gWholeNoteTicks;
  }
  if (s.tempo < uint32_t(kMinTempo) || s.tempo > uint32_t(kMaxTempo)) {
    s.tempo = kDefaultTempo;
    s.scaledTempo = ScaleTempoValue(kDefaultTempo, 0);
  }
}

int32_t RescaleTicks(int32_t v) {
  if (gResolutionBeforeChange <= 0) return v;
  return MulDivRound(v, gTicksPerQuarter, gResolutionBeforeChange);
}

void RescaleTicksInPlace(uint16_t* v) {
  int32_t scaled = RescaleTicks(*v);
  *v = uint16_t(scaled < 0 ? 0 : scaled > 0xFFFF ? 0xFFFF : scaled);
}

void RescaleTick1Based(int32_t* tick) {
  int32_t t = RescaleTicks(*tick - 1) + 1;
  *tick = t < 1 ? 1 : t;
}

int16_t ResolutionCode() {
  switch (gTicksPerQuarter) {
    case 48: return 8;
    case 24: return 7;
    case 96: return 9;
    default: return 12;
  }
}

namespace {

int32_t RescaleSongVisit(SongVisitRecord*) { return RescaleSongResolution(nullptr); }

void RescaleAllSongs() {
  SongVisitRecord visit;
  visit.callback = RescaleSongVisit;
  visit.flags = kVisitClipboardSong;
  ForEachSongAndChild(&visit);
}

void RescalePositionTick(uint32_t* tick) {
  if (*tick == 0) return;
  int32_t t = int32_t(*tick);
  RescaleTick1Based(&t);
  *tick = uint32_t(t);
}

// The positions that live outside the songs: the time selection and the transport's range.
void RescaleProgramPositions() {
  RescalePositionTick(&gTimeSelection.start.tick);
  RescalePositionTick(&gTimeSelection.end.tick);
  RescalePositionTick(&gClockPlayRange[0].tick);
  RescalePositionTick(&gClockPlayRange[1].tick);
}

void RescaleDocumentPosition(int32_t* position) {
  if (*position > 0) RescaleTick1Based(position);
}

}  // namespace

void ChangeResolutionTo(int32_t newResolution) {
  if (newResolution <= 0 || newResolution > 0xFFFF || newResolution == gTicksPerQuarter) return;
  gResolutionBeforeChange = gTicksPerQuarter;
  gConductorState.ticksPerBeat = 0;
  gTicksPerQuarter = newResolution;
  gDocumentResolution = uint16_t(newResolution);
  ApplyTimebase();
  RescaleAllSongs();
  RefreshAfterResolutionChange();
  RescaleDocumentPosition(&gDocumentRememberedPositions[0]);
  RedrawAll(0);
  RefreshMarkers(1);
  RescaleProgramPositions();
  StoreTimeSelectionInSong(gCurrentSong, gTimeSelection);
}

void ChangeResolution() { ChangeResolutionTo(gDocumentResolution); }

void AdaptSongFileResolution(bool* changed) {
  int32_t fileResolution = gDocumentResolution;
  if (fileResolution <= 0 || fileResolution == gTicksPerQuarter) return;
  *changed = true;
  gResolutionBeforeChange = fileResolution;
  RescaleAllSongs();
  RefreshAfterResolutionChange();
  RedrawAll(0);
  RefreshMarkers(1);
  RescaleDocumentPosition(&gDocumentRememberedPositions[0]);
  RescaleDocumentPosition(&gDocumentRememberedPositions[1]);
  gDocumentResolution = uint16_t(gTicksPerQuarter);
}

int32_t RescaleSongResolution(void*) {
  uint8_t* song = gCurrentSong;
  if (!song || (song[kSongFlags] & kSongFlagLinked)) return 0;
  int32_t old = ReadU16BE(song + kSongResolution);
  if (old == gTicksPerQuarter) return 0;
  if (old == 0) old = gResolutionBeforeChange;
  WriteU16BE(song + kSongResolution, uint16_t(gTicksPerQuarter));
  if (old <= 0 || old == gTicksPerQuarter) return 0;
  RescaleSongFrom(song, old);
  return 0;
}

// --- meter ---------------------------------------------------------------------------------

int32_t Log2Floor(int32_t v) {
  uint32_t u = v <= 0 ? 1u : uint32_t(v);
  int32_t halvings = 0;
  while (u != 0) {
    u >>= 1;
    ++halvings;
  }
  return halvings - 1;
}

int32_t SetTimeSignature(int32_t numerator, int32_t denominator) {
  int32_t beats = ClampOrBeep(1, kMaxBeatsPerBar, numerator);
  int32_t shift = ClampOrBeep(0, kMaxDenominatorShift, Log2Floor(denominator));
  ConductorState& s = gConductorState;
  s.beatsPerBar = beats;
  s.ticksPerBeat = gWholeNoteTicks >> shift;
  s.ticksPerBar = beats * s.ticksPerBeat;
  return shift;
}

bool IsRangeEndAtSongEnd() {
  if (!gCurrentSong) return true;
  return uint32_t(gConductorRange[1]) >= ReadU32BE(gCurrentSong + kSongEndTick);
}

void ApplyMeterChange(int32_t endTick) {
  SetSongModified();
  StoreConductorEndTickAtLeast(endTick);
  RebuildEventIndexes();
  UpdateSongEnd();
  RedrawAll(1);
  RefreshToolWindows();
  RunTrackMeterProcedure();
}

namespace {

constexpr int32_t kMeterChangeUndoKind = 10;

int32_t WriteMeterTableEntry(void* context) {
  int32_t entry = *static_cast<int32_t*>(context);
  ConductorLockState lock;
  SaveConductorLockState(&lock);
  DeleteMeterChangesInRange();
  SetTimeSignature(gMeterTable[entry] >> 4, gMeterTable[entry] & 0x0F);
  StoreMeterAt(gConductorRange[0]);
  SnapMeterChangesToBars();
  RestoreConductorLockState(&lock);
  SetCurrentUndoKind(kMeterChangeUndoKind);
  return 0;
}

}  // namespace

void ApplyMeterTableEntry(int32_t entry) {
  if (entry < 0 || entry >= kMeterTableCount || !gCurrentSong) return;
  gConductorRange[0] = int32_t(gTimeSelection.start.tick);
  gConductorRange[1] = int32_t(gTimeSelection.end.tick);
  if (!RunUndoableEdit(WriteMeterTableEntry, &entry)) return;
  ApplyMeterChange(gConductorRange[1]);
}

int32_t FindMeterTableEntry(int32_t beatsPerBar, int32_t ticksPerBeat) {
  for (int32_t i = 0; i < kMeterTableCount; ++i) {
    int32_t denominator = gMeterTable[i] & 0x0F;
    if ((gMeterTable[i] >> 4) == beatsPerBar && gWholeNoteTicks / denominator == ticksPerBeat) return i;
  }
  return -1;
}
