// The event clipboard's header record (EventClipboard, 100 bytes, big-endian) as the song
// code reads it and the undo steps keep it, and the two clipboard handles. The editing fills
// the record (editing/event_clipboard.h); the song layer only reads it.
//
// Layout: kind @0, source pane slot @1, whole song @2, song length u32 @4, start @8 and end
// @24 (each u32 tick, u64 sample position, f32 sample rate), rack table handle @40,
// instrument count u16 @44, bus count u16 @46, rack mask 32 bytes @48 (bit i of byte i / 8),
// low note @80, high note @81, source context @82, conductor lane @83, the copied tracks'
// TrackSelection (16 bytes) @84.
#pragma once

#include "platform/memory/byte_order.h"
#include "platform/memory/mac_types.h"

constexpr uint8_t kClipboardKindTracks = 1;
constexpr uint8_t kClipboardKindConductor = 2;
constexpr uint8_t kClipboardKindInstruments = 3;
constexpr uint8_t kClipboardKindMarkers = 4;

constexpr int32_t kClipboardKind = 0;
constexpr int32_t kClipboardSourceSlot = 1;
constexpr int32_t kClipboardWholeSong = 2;
constexpr int32_t kClipboardSongLength = 4;
constexpr int32_t kClipboardStart = 8;
constexpr int32_t kClipboardEnd = 24;
constexpr int32_t kClipboardPositionTick = 0;    // within a start or end position
constexpr int32_t kClipboardPositionSample = 4;
constexpr int32_t kClipboardPositionRate = 12;
constexpr int32_t kClipboardRackTable = 40;
constexpr int32_t kClipboardInstrumentCount = 44;
constexpr int32_t kClipboardBusCount = 46;
constexpr int32_t kClipboardRackMask = 48;
constexpr int32_t kClipboardRackMaskBytes = 32;
constexpr int32_t kClipboardLowNote = 80;
constexpr int32_t kClipboardHighNote = 81;
constexpr int32_t kClipboardContext = 82;
constexpr int32_t kClipboardConductorLane = 83;
constexpr int32_t kClipboardTracks = 84;
constexpr int32_t kClipboardRecordSize = 100;

struct EventClipboardView : RecordView {
  using RecordView::RecordView;
  uint8_t Kind() const { return U8(kClipboardKind); }
  void SetKind(uint8_t v) { SetU8(kClipboardKind, v); }
  uint8_t SourceSlot() const { return U8(kClipboardSourceSlot); }
  void SetSourceSlot(uint8_t v) { SetU8(kClipboardSourceSlot, v); }
  uint8_t WholeSong() const { return U8(kClipboardWholeSong); }
  void SetWholeSong(uint8_t v) { SetU8(kClipboardWholeSong, v); }
  uint32_t SongLength() const { return U32(kClipboardSongLength); }
  void SetSongLength(uint32_t v) { SetU32(kClipboardSongLength, v); }
  uint32_t StartTick() const { return U32(kClipboardStart); }
  void SetStartTick(uint32_t v) { SetU32(kClipboardStart, v); }
  uint64_t StartSample() const { return ReadU64BE(bytes() + kClipboardStart + kClipboardPositionSample); }
  float StartRate() const { return F32(kClipboardStart + kClipboardPositionRate); }
  uint32_t EndTick() const { return U32(kClipboardEnd); }
  void SetEndTick(uint32_t v) { SetU32(kClipboardEnd, v); }
  uint64_t EndSample() const { return ReadU64BE(bytes() + kClipboardEnd + kClipboardPositionSample); }
  float EndRate() const { return F32(kClipboardEnd + kClipboardPositionRate); }
  Handle RackTable() const { return Handle(U32(kClipboardRackTable)); }
  void SetRackTable(Handle h) { SetU32(kClipboardRackTable, h.id); }
  uint16_t InstrumentCount() const { return U16(kClipboardInstrumentCount); }
  void SetInstrumentCount(uint16_t v) { SetU16(kClipboardInstrumentCount, v); }
  uint16_t BusCount() const { return U16(kClipboardBusCount); }
  void SetBusCount(uint16_t v) { SetU16(kClipboardBusCount, v); }
  uint8_t* RackMask() const { return bytes() + kClipboardRackMask; }
  uint8_t LowNote() const { return U8(kClipboardLowNote); }
  uint8_t HighNote() const { return U8(kClipboardHighNote); }
  void SetNoteRange(uint8_t low, uint8_t high) {
    SetU8(kClipboardLowNote, low);
    SetU8(kClipboardHighNote, high);
  }
  uint8_t Context() const { return U8(kClipboardContext); }
  void SetContext(uint8_t v) { SetU8(kClipboardContext, v); }
  uint8_t ConductorLane() const { return U8(kClipboardConductorLane); }
  void SetConductorLane(uint8_t v) { SetU8(kClipboardConductorLane, v); }
  uint8_t* Tracks() const { return bytes() + kClipboardTracks; }
};

extern Handle gClipboard;       // the header record (EventClipboard), 0 when empty
extern Handle gClipboardPart2;  // the clipboard song

// The rack table of a clipboard record of kind 1 or 3 (copies of the instrument records with
// their racks), or 0.
Handle ClipboardRackTableOf(Handle record);
// The copied instrument table when the clipboard holds instrument data (kind 3), else 0.
Handle GetClipboardInstrumentTable();
// The song block held by the clipboard (a clipboard record of a kind other than 3), or 0.
Handle GetClipboardSongPart();
