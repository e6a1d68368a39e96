// The song's marker list: named positions, each at a tick and (for markers with extra
// fields) at a real-time position in subframes. A marker locked to time keeps its time and
// has its tick recomputed after tempo changes; any other follows its tick.
//
// The list is one handle (Song header +372), stored in song documents as it lies:
//   +0 u32 number of markers, then the records sorted by tick, each at an even offset,
//   then u32 0x7fffffff, the end tick that stops searches.
// MarkerRecord (big-endian):
//   +0 u32 tick
//   +4 u8  kind: 0 a plain marker, whose name follows at +5; any other value carries
//          +5 u8 flags (bit 0 locked to time, bit 7 selected), +6 u32 time in subframes,
//          +10 u16 value, +12 u16 length in ticks, and the name at +14
//   name: a length byte and the characters, then a pad byte to the next even offset.
//
// All routines work on the current song's list. Record pointers are addresses inside the
// list block and stay valid only until the list changes size.
#pragma once

#include <cstdint>

#include "platform/memory/byte_order.h"
#include "platform/memory/mac_types.h"

constexpr int32_t kMarkerListHeader = 4;
constexpr int32_t kMarkerListEmptySize = 8;
constexpr uint32_t kMarkerEndTick = 0x7fffffff;
constexpr int32_t kMarkerSwapBufferSize = 304;

constexpr int32_t kMarkerTickOffset = 0;
constexpr int32_t kMarkerKindOffset = 4;
constexpr int32_t kMarkerFlagsOffset = 5;
constexpr int32_t kMarkerTimeOffset = 6;
constexpr int32_t kMarkerValueOffset = 10;
constexpr int32_t kMarkerLengthOffset = 12;
constexpr int32_t kMarkerPlainNameOffset = 5;
constexpr int32_t kMarkerNameOffset = 14;

constexpr uint8_t kMarkerKindPlain = 0;
constexpr uint8_t kMarkerKindMask = 0x3f;
constexpr uint8_t kMarkerLockedToTime = 0x01;
constexpr uint8_t kMarkerSelected = 0x80;

// The record returned in place of a marker when there is none.
extern uint8_t gNoMarker[6];

inline uint32_t MarkerTick(const uint8_t* r) { return ReadU32BE(r + kMarkerTickOffset); }
inline uint8_t MarkerKind(const uint8_t* r) { return r[kMarkerKindOffset]; }
inline uint8_t MarkerFlags(const uint8_t* r) {
  return r[kMarkerKindOffset] ? r[kMarkerFlagsOffset] : 0;
}
inline uint32_t MarkerTime(const uint8_t* r) {
  return r[kMarkerKindOffset] ? ReadU32BE(r + kMarkerTimeOffset) : 0;
}
inline uint16_t MarkerValue(const uint8_t* r) {
  return r[kMarkerKindOffset] ? ReadU16BE(r + kMarkerValueOffset) : 0;
}
inline uint16_t MarkerLength(const uint8_t* r) {
  return r[kMarkerKindOffset] ? ReadU16BE(r + kMarkerLengthOffset) : 0;
}

// 6 + n rounded up to even for a plain marker, 15 + n rounded up to even otherwise.
int32_t MarkerRecordSize(ConstStr255Param name, uint8_t kind);
int32_t MarkerRecordSizeFor(int32_t nameLength, uint8_t kind);

// Checks a list read from a file: the count against the records that fit, every record
// inside the block and the end tick behind the last. Cuts a damaged list at its last whole
// record; returns 0, or -50 when it repaired.
OSErr ValidateMarkerList(uint8_t* song);

int32_t CountMarkers();
Size GetMarkerListSize();
// Marker n (from 0), or gNoMarker outside 0..count-1 or without a list.
uint8_t* GetMarkerAt(int32_t n);
uint8_t* GetMarkerName(uint8_t* record);
uint8_t* GetNextMarker(uint8_t* record);
bool IsMarkerLockedToTime(const uint8_t* record);
// The first record whose tick is greater than tick, from first on.
uint8_t* FindMarkerInsertPoint(uint32_t tick, uint8_t* first);

// Stores a marker: in place of existing (which keeps its kind) or as a new record behind the
// markers of its tick. Time 0 takes TickToTime (tick). -50 without a list.
OSErr StoreMarker(ConstStr255Param name, uint32_t tick, uint8_t kind, uint8_t flags,
                  uint32_t time, uint16_t value, uint8_t* existing, uint16_t length);
OSErr AddMarker(ConstStr255Param name, uint32_t tick, uint8_t kind, int32_t locked,
                uint32_t time);
// A new selected marker (flags 0x80, 0x81 when locked).
OSErr AddMarkerWithFlags(ConstStr255Param name, uint8_t kind, uint32_t tick, int32_t locked,
                         uint32_t time, uint16_t value, uint8_t* existing, uint16_t length);
// Replaces marker index (kept kind and, when it was locked, its time) or, for index -1,
// stores a new kind-1 marker.
OSErr ReplaceMarker(ConstStr255Param name, uint32_t tick, int32_t locked, uint32_t time,
                    int32_t index, uint16_t length, uint16_t value, uint8_t flags);
OSErr DeleteMarker(uint8_t* record);
// Deletes the selected markers; the marker window follows each deleted marker it shows.
void DeleteSelectedMarkers();
// No marker stays selected (the song is not marked modified: selection is no edit).
void ClearMarkerSelection();
// Stable bubble sort by tick.
void SortMarkers();
// Removes (delta <= 0: the plain markers in start..end-1) or shifts the markers at or
// behind start; markers locked to time take their tick from their time.
void ShiftMarkers(uint32_t start, uint32_t end, int32_t delta);
void ShiftMarkersInSelection(int32_t delta);
void UpdateLockedMarkerTick(uint8_t* record);
// The marker part of a paste: list is a marker list (count, records); clip is the
// clipboard's 40-byte range record.
OSErr PasteMarkerList(Handle list, const uint8_t* clip);
void ScaleMarkersInSelection(double factor);
// Re-times every marker after a tempo, meter or resolution change.
void RefreshMarkers(int32_t full);
void RedrawMarkerViews();
// The end of the current song's last marker: its tick, plus its length when it has one;
// 1 without markers.
uint32_t GetLastMarkerEnd();
// Marker n's time (0 outside 0..count-1); a plain marker's time is that of its tick.
uint32_t GetMarkerTime(int32_t n);
// The tick of the first marker after tick whose kind k has bit (1 << k) in kindMask, its
// index in *index and its record in *out (either may be null). None: the song's end tick,
// *index the marker count and *out gNoMarker.
uint32_t FindMarkerAfter(uint32_t tick, uint8_t** out, uint32_t kindMask, int32_t* index);

// Field logic of the marker dialog (fields 5 bar, 6 beat, 7 tick; values as typed).
struct MarkerDialogFields {
  int32_t bar = 1;
  int32_t beat = 1;
  int32_t tick = 0;
};
void SetMarkerDialogBars(MarkerDialogFields* fields, uint32_t tick);
// Clamps the fields (bar 0..9999, beat within the bar's beats, tick below the ticks per
// beat) and converts them to a tick and its time.
void GetMarkerDialogBars(const MarkerDialogFields& fields, uint32_t* tick, uint32_t* time);
