// The conductor map: every song's time-sorted list of meter changes, tempo changes, key
// signatures and master-volume changes, the running conductor state, and the conversions
// between ticks and bars, beats and ticks.
//
// The map is one handle (Song header +356) of 10-byte big-endian ConductorRecords sorted by
// tick and closed by the end record (kind 0, tick 0x7fffffff). The values in force at tick 1
// live in the Song header, never in a record (master volume excepted). Header +26 holds the
// map's byte length up to the end record.
//
//   +0 u8  kind: 0 end, 1 meter, 2 tempo, 3 key signature, 4 master volume
//   +1 u8  bit 7 selected; for a meter the low 7 bits are the beats per bar
//   +2 i32 tick (from 1)
//   +6     meter: u16 ticks per beat, u16 ticks per bar at +8; tempo: u16 tenths of a BPM;
//          key: u8 key code; master volume: u16 level 0..127. Unused bytes are 0.
//
// Unless a routine takes a song, it works on the current song (gCurrentSong). Record
// pointers returned here are addresses inside the map block and stay valid only until the
// map changes. Code that writes map bytes other than through these routines calls
// NoteConductorMapChanged afterwards, so that cached conversions are rebuilt.
#pragma once

#include <cstdint>

#include "platform/memory/byte_order.h"
#include "platform/memory/mac_types.h"

constexpr int32_t kConductorRecordSize = 10;
constexpr int32_t kConductorEndTick = 0x7fffffff;
constexpr int32_t kConductorGrowBytes = 100;
constexpr int32_t kConductorResetSize = 200;

enum : uint8_t {
  kConductorEnd = 0,
  kConductorMeter = 1,
  kConductorTempo = 2,
  kConductorKey = 3,
  kConductorMasterVolume = 4,
  kConductorFirstInvalidKind = 5,
};
constexpr uint8_t kConductorSelected = 0x80;
constexpr uint8_t kConductorBeatsMask = 0x7f;

constexpr int32_t kConductorKindOffset = 0;
constexpr int32_t kConductorFlagsOffset = 1;
constexpr int32_t kConductorTickOffset = 2;
constexpr int32_t kConductorValueOffset = 6;
constexpr int32_t kConductorTicksPerBarOffset = 8;

// Error text shown when not even an empty map can be allocated.
constexpr int16_t kConductorMapMemoryText = 26;

struct ConductorRecordView : RecordView {
  using RecordView::RecordView;
  uint8_t Kind() const { return U8(kConductorKindOffset); }
  void SetKind(uint8_t k) { SetU8(kConductorKindOffset, k); }
  uint8_t Flags() const { return U8(kConductorFlagsOffset); }
  void SetFlags(uint8_t f) { SetU8(kConductorFlagsOffset, f); }
  uint8_t BeatsPerBar() const { return U8(kConductorFlagsOffset) & kConductorBeatsMask; }
  int32_t Tick() const { return I32(kConductorTickOffset); }
  void SetTick(int32_t t) { SetI32(kConductorTickOffset, t); }
  uint16_t Value() const { return U16(kConductorValueOffset); }
  uint16_t TicksPerBeat() const { return U16(kConductorValueOffset); }
  void SetValue(uint16_t v) { SetU16(kConductorValueOffset, v); }
  uint16_t TicksPerBar() const { return U16(kConductorTicksPerBarOffset); }
  void SetTicksPerBar(uint16_t v) { SetU16(kConductorTicksPerBarOffset, v); }
  uint8_t KeyCode() const { return U8(kConductorValueOffset); }
  void SetKeyCode(uint8_t k) { SetU8(kConductorValueOffset, k); }
  bool IsEnd() const { return Kind() == kConductorEnd; }
};

inline uint8_t ConductorKind(const uint8_t* r) { return r[kConductorKindOffset]; }
inline int32_t ConductorTick(const uint8_t* r) { return ReadI32BE(r + kConductorTickOffset); }
inline uint16_t ConductorValue(const uint8_t* r) { return ReadU16BE(r + kConductorValueOffset); }
// Fills a 10-byte record: kind, byte 1, tick, a u16 value at +6 and a u16 at +8.
void MakeConductorRecord(uint8_t* r, uint8_t kind, uint8_t flags, int32_t tick, uint16_t value,
                         uint16_t value2);

// The running state of a walk through the map.
struct ConductorState {
  int32_t beatsPerBar = 4;
  int32_t ticksPerBeat = 0;
  int32_t ticksPerBar = 1536;
  uint32_t tempo = 1100;          // tenths of a beat per minute; the low 16 bits are the value
  uint8_t key = 0;                // key code
  int16_t masterVolume = 0;
  const uint8_t* masterVolumeRecord = nullptr;  // the level's record, null: instrument table
  int32_t scaledTempo = 1100;     // ScaleTempoValue (tempo, 0)
};

extern ConductorState gConductorState;
// Start and end tick on which the range edits work.
extern int32_t gConductorRange[2];
// ORed into byte 1 of every record SetConductorRecord writes (0x80 while the conductor list
// re-inserts selected records).
extern uint8_t gConductorRecordFlag;
// The resolution (ticks per quarter note) for which the tempo tables were built.
extern int32_t gTempoTableResolution;
// The end record that stands for the map of a song that has none.
extern uint8_t gEmptyConductorMap[kConductorRecordSize];
// Advanced by every change of any map.
extern uint32_t gConductorMapGeneration;
void NoteConductorMapChanged();

// --- storage ----------------------------------------------------------------------------

// The song's first record, or gEmptyConductorMap for a null song or a song without a map.
// A map whose stated length does not end on an end record inside the block is repaired
// first (cut at its last whole record).
uint8_t* GetSongConductorMap(uint8_t* song);
uint8_t* GetConductorMap();
// Number of records in front of the end record.
int32_t CountConductorRecords(uint8_t* song);
// Checks a map read from a file: the stated length, the end record and the record kinds
// (a first record of kind 5 or more resets the map). Returns 0, or -50 when it repaired.
OSErr ValidateConductorMap(uint8_t* song);
// Gives the current song a new cleared map of size bytes holding only the end record
// (length 0); the old map is disposed unless the undo ring keeps it. On failure the song
// has no map. Returns the memory error.
OSErr AllocateConductorMap(Size size);
// An empty map (200 bytes, else 10; text 26 when neither fits), then StoreMeterAt (1).
void ResetConductorMap();
// Writes the end record at at and sets the byte length to at minus the map's start.
void WriteConductorEndRecord(uint8_t* at);
// The first record from from on whose tick is at least tick.
uint8_t* FindConductorRecordAt(int32_t tick, uint8_t* from);
// Stores the caller's record at tick (replacing a record of its kind at that tick, else in
// front of the records already there). Returns 0 (also without a map) or the memory error.
OSErr SetConductorRecord(int32_t tick, uint8_t* record);
void DeleteConductorRecord(uint8_t* record);
// Deletes the records of kind from gConductorRange start up to its end (inclusive).
void DeleteConductorRecordsInRange(uint8_t kind);
void DeleteMeterChangesInRange();
void DeleteTempoChangesInRange();
void DeleteKeySignaturesInRange();
// Stable bubble sort of the records by tick.
void SortConductorMap();
// The tick after the last record; 0 for an empty map.
int32_t GetConductorEndTick();
void StoreConductorEndTick();
// Stores the conductor end tick, raised to tick when a time selection exists; returns
// whether one exists.
bool StoreConductorEndTickAtLeast(int32_t tick);
bool HasTempoChanges();

// --- setting values at a tick (tick 1 writes the header) ---------------------------------

OSErr SetMeterAt(int32_t tick);
// -50 when the state's beats per bar is 0; else DeriveTicksPerBeat and SetMeterAt.
OSErr StoreMeterAt(int32_t tick);
void DeriveTicksPerBeat();
OSErr SetTempoAt(int32_t tempo, int32_t tick);
OSErr SetTempoIfChanged(int32_t tempo, int32_t tick);
int32_t ClampTempo(int32_t tempo);
OSErr SetKeySignatureAt(int32_t tick);
OSErr SetMasterVolumeAt(int32_t level, int32_t tick);
OSErr InsertConductorRecordAt(uint8_t* record, int32_t tick);

// --- reading the state ------------------------------------------------------------------

void ApplyConductorRecord(const uint8_t* record, ConductorState* state);
// Beats per bar and ticks per beat from the header (each 1 when 0).
void InitMeterFromSong(uint8_t* song, ConductorState* state);
// The state at tick (meters and keys before it; tempo and master volume also at it);
// returns the first record at or after tick.
uint8_t* GetConductorStateAt(int32_t tick);
uint8_t* GetConductorStateAtInSong(int32_t tick, uint8_t* song, ConductorState* state);
// Applies the tempo and master-volume records that lie exactly at tick from record on;
// returns the first record behind them.
uint8_t* ApplyChangesAtTick(uint8_t* record, int32_t tick, ConductorState* state);
uint8_t GetKeySignatureBefore(int32_t tick, uint8_t* song, ConductorState* state);
uint8_t* LoadSongTempo(uint8_t* song, ConductorState* state);
uint8_t* LoadSongKey(uint8_t* song, ConductorState* state);

// --- bars, beats and ticks ----------------------------------------------------------------

uint8_t* BeginMeterWalk(uint8_t* song, ConductorState* state);
uint8_t* NextMeterChange(uint8_t* record);
uint8_t* AdvanceMeterChange(uint8_t* record, ConductorState* state, int32_t tick);
uint8_t* SeekMeterChangeAt(int32_t tick, ConductorState* state);
int32_t BarToTick(int32_t bar);
int32_t BarToTickInSong(uint8_t* song, ConductorState* state, int32_t bar);
int32_t BeatToTick(int32_t beat);
void TickToBarAndOffset(int32_t tick, int32_t* bar, int32_t* offset);
void TickToBarAndOffsetInSong(uint8_t* song, ConductorState* state, int32_t tick, int32_t* bar,
                              int32_t* offset);
int32_t TickToBar(int32_t tick);
int32_t TickToBarRoundedUp(int32_t tick);
void TickToBarBeatTick(int32_t tick, int32_t* bar, int32_t* beat, int32_t* tickInBeat);
void TickToBarBeatTickInSong(uint8_t* song, ConductorState* state, int32_t tick, int32_t* bar,
                             int32_t* beat, int32_t* tickInBeat);
int32_t BarBeatTickToTick(int32_t bar, int32_t beat, int32_t tick);
int32_t BarBeatTickToTickInSong(uint8_t* song, ConductorState* state, int32_t bar, int32_t beat,
                                int32_t tick);
float TickToBeats(int32_t tick);
double SongTickToBeats(uint8_t* song, int32_t tick);
