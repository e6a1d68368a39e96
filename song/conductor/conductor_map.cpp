#include "song/conductor/conductor_map.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/tempo_scaling.h"
#include "song/events/utility_event_selection.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/undo/undo_ring.h"

ConductorState gConductorState;
int32_t gConductorRange[2] = {0, 0};
uint8_t gConductorRecordFlag = 0;
int32_t gTempoTableResolution = 384;
uint8_t gEmptyConductorMap[kConductorRecordSize] = {0, 0, 0x7f, 0xff, 0xff, 0xff, 0, 0, 0, 0};
uint32_t gConductorMapGeneration = 1;

void NoteConductorMapChanged() { ++gConductorMapGeneration; }

void MakeConductorRecord(uint8_t* r, uint8_t kind, uint8_t flags, int32_t tick, uint16_t value,
                         uint16_t value2) {
  r[kConductorKindOffset] = kind;
  r[kConductorFlagsOffset] = flags;
  WriteI32BE(r + kConductorTickOffset, tick);
  WriteU16BE(r + kConductorValueOffset, value);
  WriteU16BE(r + kConductorTicksPerBarOffset, value2);
}

namespace {

Handle MapHandle(const uint8_t* song) {
  return song ? Handle(ReadU32BE(song + kSongConductorMap)) : Handle();
}

uint32_t MapLength(const uint8_t* song) { return ReadU32BE(song + kSongConductorLength); }
void SetMapLength(uint8_t* song, uint32_t n) { WriteU32BE(song + kSongConductorLength, n); }

// The map block as it lies, without any check; null without a live map.
uint8_t* MapData(const uint8_t* song) {
  Handle h = MapHandle(song);
  if (!h || !IsValidHandle(h)) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(h));
}

void WriteEndRecord(uint8_t* at) { MakeConductorRecord(at, kConductorEnd, 0, kConductorEndTick, 0, 0); }

bool IsEndRecord(const uint8_t* r) {
  return ConductorKind(r) == kConductorEnd && ConductorTick(r) == kConductorEndTick;
}

// Cuts a damaged map at its first kind-0 record or its last whole record and closes it with
// an end record. Returns false when the block cannot hold even the end record.
bool RepairMap(uint8_t* song) {
  Handle h = MapHandle(song);
  Size size = GetHandleSize(h);
  if (size < kConductorRecordSize) {
    SetHandleSize(h, kConductorRecordSize);
    if (MemError() != noErr) return false;
    size = kConductorRecordSize;
  }
  uint8_t* base = MapData(song);
  uint32_t count = MapLength(song) / kConductorRecordSize;
  uint32_t room = uint32_t(size - kConductorRecordSize) / kConductorRecordSize;
  if (count > room) count = room;
  for (uint32_t i = 0; i < count; ++i) {
    if (ConductorKind(base + i * kConductorRecordSize) == kConductorEnd) {
      count = i;
      break;
    }
  }
  WriteEndRecord(base + count * kConductorRecordSize);
  SetMapLength(song, count * kConductorRecordSize);
  NoteConductorMapChanged();
  return true;
}

// Swaps the current-song pointer for the duration of a routine that works on the current
// song (the routines below never resize the song block itself).
struct CurrentSongSwap {
  uint8_t* saved;
  explicit CurrentSongSwap(uint8_t* song) : saved(gCurrentSong) { gCurrentSong = song; }
  ~CurrentSongSwap() { gCurrentSong = saved; }
};

int16_t MasterEntryVolume() {
  const uint8_t* master = GetMasterEntry();
  return master ? GetInstrumentVolume(master) : 0;
}

}  // namespace

// --- storage ------------------------------------------------------------------------------

uint8_t* GetSongConductorMap(uint8_t* song) {
  uint8_t* base = MapData(song);
  if (!base) return gEmptyConductorMap;
  uint32_t length = MapLength(song);
  uint32_t size = uint32_t(GetHandleSize(MapHandle(song)));
  if (length % kConductorRecordSize == 0 && length + kConductorRecordSize <= size &&
      IsEndRecord(base + length))
    return base;
  if (!RepairMap(song)) return gEmptyConductorMap;
  return MapData(song);
}

uint8_t* GetConductorMap() { return GetSongConductorMap(gCurrentSong); }

int32_t CountConductorRecords(uint8_t* song) {
  uint8_t* base = GetSongConductorMap(song);
  if (base == gEmptyConductorMap) return 0;
  return int32_t(MapLength(song) / kConductorRecordSize);
}

OSErr ValidateConductorMap(uint8_t* song) {
  if (!song || !MapHandle(song)) return noErr;
  if (!MapData(song)) {
    WriteU32BE(song + kSongConductorMap, 0);
    SetMapLength(song, 0);
    return paramErr;
  }
  uint32_t before = gConductorMapGeneration;
  uint8_t* base = GetSongConductorMap(song);
  bool repaired = before != gConductorMapGeneration;
  uint32_t length = MapLength(song);
  for (uint32_t at = 0; base != gEmptyConductorMap && at < length; at += kConductorRecordSize) {
    if (ConductorKind(base + at) == kConductorEnd) {
      WriteEndRecord(base + at);
      SetMapLength(song, at);
      repaired = true;
      break;
    }
  }
  if (ConductorKind(base) >= kConductorFirstInvalidKind) {
    CurrentSongSwap swap(song);
    ResetConductorMap();
    repaired = true;
  }
  if (repaired) NoteConductorMapChanged();
  return repaired ? paramErr : noErr;
}

OSErr AllocateConductorMap(Size size) {
  uint8_t* song = gCurrentSong;
  if (!song) return paramErr;
  if (size < kConductorRecordSize) size = kConductorRecordSize;
  Handle old = MapHandle(song);
  Handle h = NewHandleClearWithReserve(size);
  OSErr err = gLastMemError;
  if (old && !IsHandleInUndoRing(old) && IsValidHandle(old)) DisposeHandle(old);
  WriteU32BE(song + kSongConductorMap, h.id);
  SetMapLength(song, 0);
  if (h) WriteEndRecord(reinterpret_cast<uint8_t*>(*h));
  NoteConductorMapChanged();
  if (h) return noErr;
  return err != noErr ? err : OSErr(memFullErr);
}

void ResetConductorMap() {
  if (!gCurrentSong) return;
  if (AllocateConductorMap(kConductorResetSize) != noErr &&
      AllocateConductorMap(kConductorRecordSize) != noErr)
    ReportAppErrorText(kConductorMapMemoryText);
  StoreMeterAt(1);
}

void WriteConductorEndRecord(uint8_t* at) {
  WriteEndRecord(at);
  uint8_t* base = MapData(gCurrentSong);
  if (base && at >= base) SetMapLength(gCurrentSong, uint32_t(at - base));
  NoteConductorMapChanged();
}

uint8_t* FindConductorRecordAt(int32_t tick, uint8_t* from) {
  uint8_t* r = from;
  while (ConductorKind(r) != kConductorEnd && ConductorTick(r) < tick) r += kConductorRecordSize;
  return r;
}

OSErr SetConductorRecord(int32_t tick, uint8_t* record) {
  uint8_t* song = gCurrentSong;
  if (!song || !MapData(song)) return noErr;
  record[kConductorFlagsOffset] |= gConductorRecordFlag;
  WriteI32BE(record + kConductorTickOffset, tick);
  uint8_t copy[kConductorRecordSize];
  std::memcpy(copy, record, sizeof copy);
  uint8_t kind = ConductorKind(copy);
  if (kind == kConductorEnd || kind >= kConductorFirstInvalidKind) return paramErr;

  uint8_t* base = GetSongConductorMap(song);
  if (base == gEmptyConductorMap) return noErr;
  Handle h = MapHandle(song);
  uint32_t length = MapLength(song);
  Size size = GetHandleSize(h);
  if (uint32_t(size) < length + 2 * kConductorRecordSize) {
    OSErr err = SetHandleSizeWithReserve(h, size + kConductorGrowBytes);
    if (err != noErr) {
      AlertInsufficientMemory(err);
      return err;
    }
    base = MapData(song);
  }
  // Records are mostly written in time order: past the last record there is nothing to
  // search.
  uint8_t* r = base + length;
  if (length == 0 || ConductorTick(r - kConductorRecordSize) >= tick)
    r = FindConductorRecordAt(tick, base);
  for (uint8_t* q = r; ConductorKind(q) != kConductorEnd && ConductorTick(q) == tick;
       q += kConductorRecordSize) {
    if (ConductorKind(q) == kind) {
      std::memcpy(q, copy, sizeof copy);
      NoteConductorMapChanged();
      return noErr;
    }
  }
  uint8_t* end = base + length;
  std::memmove(r + kConductorRecordSize, r, size_t(end - r));
  std::memcpy(r, copy, sizeof copy);
  WriteEndRecord(end + kConductorRecordSize);
  SetMapLength(song, length + kConductorRecordSize);
  NoteConductorMapChanged();
  return noErr;
}

void DeleteConductorRecord(uint8_t* record) {
  uint8_t* song = gCurrentSong;
  uint8_t* base = MapData(song);
  if (!base || record < base || ConductorKind(record) == kConductorEnd) return;
  uint32_t length = MapLength(song);
  uint8_t* end = base + length;
  if (record >= end) return;
  std::memmove(record, record + kConductorRecordSize, size_t(end - record - kConductorRecordSize));
  WriteEndRecord(end - kConductorRecordSize);
  SetMapLength(song, length - kConductorRecordSize);
  NoteConductorMapChanged();
}

void DeleteConductorRecordsInRange(uint8_t kind) {
  if (gConductorRange[1] == kConductorEndTick) gConductorRange[1] = kConductorEndTick - 1;
  uint8_t* base = GetConductorMap();
  if (base == gEmptyConductorMap) return;
  uint8_t* r = FindConductorRecordAt(gConductorRange[0], base);
  while (ConductorKind(r) != kConductorEnd && ConductorTick(r) <= gConductorRange[1]) {
    if (ConductorKind(r) == kind)
      DeleteConductorRecord(r);
    else
      r += kConductorRecordSize;
  }
}

void DeleteMeterChangesInRange() { DeleteConductorRecordsInRange(kConductorMeter); }
void DeleteKeySignaturesInRange() { DeleteConductorRecordsInRange(kConductorKey); }
void DeleteTempoChangesInRange() {
  CallAudioIdleHook();
  DeleteConductorRecordsInRange(kConductorTempo);
}

void SortConductorMap() {
  uint8_t* base = GetConductorMap();
  int32_t count = CountConductorRecords(gCurrentSong);
  if (count < 2) return;
  uint8_t swap[kConductorRecordSize];
  int32_t last = count - 1;
  while (last > 0) {
    int32_t lastSwap = 0;
    for (int32_t j = 0; j < last; ++j) {
      uint8_t* a = base + j * kConductorRecordSize;
      uint8_t* b = a + kConductorRecordSize;
      if (ConductorTick(a) > ConductorTick(b)) {
        std::memcpy(swap, a, sizeof swap);
        std::memcpy(a, b, sizeof swap);
        std::memcpy(b, swap, sizeof swap);
        lastSwap = j;
      }
    }
    last = lastSwap;
  }
  NoteConductorMapChanged();
}

int32_t GetConductorEndTick() {
  int32_t count = CountConductorRecords(gCurrentSong);
  if (count == 0) return 0;
  uint8_t* last = GetConductorMap() + (count - 1) * kConductorRecordSize;
  return ConductorTick(last) + 1;
}

void StoreConductorEndTick() {
  if (gCurrentSong) WriteU32BE(gCurrentSong + kSongConductorEnd, uint32_t(GetConductorEndTick()));
}

bool StoreConductorEndTickAtLeast(int32_t tick) {
  int32_t end = GetConductorEndTick();
  bool selection = HasTimeSelection();
  if (selection && tick > end) end = tick;
  if (gCurrentSong) WriteU32BE(gCurrentSong + kSongConductorEnd, uint32_t(end));
  return selection;
}

bool HasTempoChanges() {
  if (!gCurrentSong) return false;
  uint16_t tempo = ReadU16BE(gCurrentSong + kSongTempo);
  for (uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize)
    if (ConductorKind(r) == kConductorTempo && ConductorValue(r) != tempo) return true;
  return false;
}

// --- setting values ---------------------------------------------------------------------------

OSErr SetMeterAt(int32_t tick) {
  uint8_t* song = gCurrentSong;
  if (!song) return noErr;
  const ConductorState& s = gConductorState;
  if (tick <= 1) {
    song[kSongBeatsPerBar] = uint8_t(s.beatsPerBar);
    WriteU16BE(song + kSongTicksPerBeat, uint16_t(s.ticksPerBeat));
    NoteConductorMapChanged();
    return noErr;
  }
  uint8_t r[kConductorRecordSize];
  MakeConductorRecord(r, kConductorMeter, uint8_t(s.beatsPerBar) & kConductorBeatsMask, tick,
                      uint16_t(s.ticksPerBeat), uint16_t(s.ticksPerBar));
  return SetConductorRecord(tick, r);
}

void DeriveTicksPerBeat() {
  if (gConductorState.beatsPerBar != 0)
    gConductorState.ticksPerBeat = gConductorState.ticksPerBar / gConductorState.beatsPerBar;
}

OSErr StoreMeterAt(int32_t tick) {
  if (gConductorState.beatsPerBar == 0) return paramErr;
  DeriveTicksPerBeat();
  return SetMeterAt(tick);
}

int32_t ClampTempo(int32_t tempo) {
  if (tempo < kMinTempo) return kMinTempo;
  if (tempo > kMaxTempo) return kMaxTempo;
  return tempo;
}

OSErr SetTempoAt(int32_t tempo, int32_t tick) {
  gConductorState.tempo = uint32_t(tempo);
  gConductorState.scaledTempo = ScaleTempoValue(tempo, 0);
  uint8_t* song = gCurrentSong;
  if (!song) return noErr;
  if (tick <= 1) {
    WriteU16BE(song + kSongTempo, uint16_t(tempo));
    NoteConductorMapChanged();
    return noErr;
  }
  uint8_t r[kConductorRecordSize];
  MakeConductorRecord(r, kConductorTempo, 0, tick, uint16_t(tempo), 0);
  return SetConductorRecord(tick, r);
}

OSErr SetTempoIfChanged(int32_t tempo, int32_t tick) {
  if (gConductorState.tempo == uint32_t(tempo)) return noErr;
  return SetTempoAt(tempo, tick);
}

OSErr SetKeySignatureAt(int32_t tick) {
  uint8_t* song = gCurrentSong;
  if (!song) return noErr;
  if (tick <= 1) {
    song[kSongKey] = gConductorState.key;
    NoteConductorMapChanged();
    return noErr;
  }
  uint8_t r[kConductorRecordSize];
  MakeConductorRecord(r, kConductorKey, 0, tick, uint16_t(gConductorState.key << 8), 0);
  return SetConductorRecord(tick, r);
}

OSErr SetMasterVolumeAt(int32_t level, int32_t tick) {
  uint8_t r[kConductorRecordSize];
  MakeConductorRecord(r, kConductorMasterVolume, 0, tick, uint16_t(level), 0);
  return SetConductorRecord(tick, r);
}

OSErr InsertConductorRecordAt(uint8_t* record, int32_t tick) {
  uint8_t copy[kConductorRecordSize];
  std::memcpy(copy, record, sizeof copy);
  ApplyConductorRecord(copy, &gConductorState);
  switch (ConductorKind(copy)) {
    case kConductorMeter: {
      OSErr err = StoreMeterAt(tick);
      SnapMeterChangesToBars();
      return err;
    }
    case kConductorTempo:
      return SetTempoAt(int32_t(gConductorState.tempo), tick);
    case kConductorKey:
      return SetKeySignatureAt(tick);
    case kConductorMasterVolume:
      return SetMasterVolumeAt(gConductorState.masterVolume, tick);
    default:
      return noErr;
  }
}

// --- reading the state ----------------------------------------------------------------------

void ApplyConductorRecord(const uint8_t* record, ConductorState* state) {
  switch (ConductorKind(record)) {
    case kConductorMeter: {
      ConductorRecordView r(const_cast<uint8_t*>(record));
      state->beatsPerBar = r.BeatsPerBar();
      state->ticksPerBeat = r.TicksPerBeat();
      // A bar longer than 65535 ticks does not fit the stored u16: take the product when
      // the stored value is its low half.
      int32_t product = state->beatsPerBar * state->ticksPerBeat;
      state->ticksPerBar = r.TicksPerBar();
      if (product > 0xFFFF && (product & 0xFFFF) == state->ticksPerBar) state->ticksPerBar = product;
      break;
    }
    case kConductorTempo:
      state->tempo = ConductorValue(record);
      state->scaledTempo = ScaleTempoValue(int32_t(state->tempo), 0);
      break;
    case kConductorKey:
      state->key = record[kConductorValueOffset];
      break;
    case kConductorMasterVolume:
      state->masterVolume = int16_t(ConductorValue(record));
      state->masterVolumeRecord = record;
      break;
    default:
      break;
  }
}

void InitMeterFromSong(uint8_t* song, ConductorState* state) {
  if (!song) return;
  int32_t beats = song[kSongBeatsPerBar];
  int32_t ticks = ReadU16BE(song + kSongTicksPerBeat);
  state->beatsPerBar = beats ? beats : 1;
  state->ticksPerBeat = ticks ? ticks : 1;
  state->ticksPerBar = state->beatsPerBar * state->ticksPerBeat;
}

uint8_t* GetConductorStateAt(int32_t tick) {
  return GetConductorStateAtInSong(tick, gCurrentSong, &gConductorState);
}

uint8_t* GetConductorStateAtInSong(int32_t tick, uint8_t* song, ConductorState* state) {
  InitMeterFromSong(song, state);
  if (song) {
    state->tempo = ReadU16BE(song + kSongTempo);
    state->scaledTempo = ScaleTempoValue(int32_t(state->tempo), 0);
    state->key = song[kSongKey];
  }
  state->masterVolumeRecord = nullptr;
  state->masterVolume = MasterEntryVolume();
  uint8_t* r = GetSongConductorMap(song);
  while (ConductorKind(r) != kConductorEnd && ConductorTick(r) < tick) {
    ApplyConductorRecord(r, state);
    r += kConductorRecordSize;
  }
  ApplyChangesAtTick(r, tick, state);
  return r;
}

uint8_t* ApplyChangesAtTick(uint8_t* record, int32_t tick, ConductorState* state) {
  uint8_t* r = record;
  for (; ConductorKind(r) != kConductorEnd && ConductorTick(r) == tick; r += kConductorRecordSize) {
    uint8_t kind = ConductorKind(r);
    if (kind == kConductorTempo || kind == kConductorMasterVolume) ApplyConductorRecord(r, state);
  }
  return r;
}

uint8_t GetKeySignatureBefore(int32_t tick, uint8_t* song, ConductorState* state) {
  if (song) state->key = song[kSongKey];
  for (uint8_t* r = GetSongConductorMap(song);
       ConductorKind(r) != kConductorEnd && ConductorTick(r) < tick; r += kConductorRecordSize)
    if (ConductorKind(r) == kConductorKey) state->key = r[kConductorValueOffset];
  return state->key;
}

uint8_t* LoadSongTempo(uint8_t* song, ConductorState* state) {
  if (song) {
    state->tempo = ReadU16BE(song + kSongTempo);
    state->scaledTempo = ScaleTempoValue(int32_t(state->tempo), 0);
  }
  return GetSongConductorMap(song);
}

uint8_t* LoadSongKey(uint8_t* song, ConductorState* state) {
  if (song) state->key = song[kSongKey];
  return GetSongConductorMap(song);
}
