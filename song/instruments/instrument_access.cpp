// Reading the instrument table on behalf of tracks, and the walks over its records.
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/output_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

uint8_t gDefaultBendRange = 2;

namespace {

bool TrackPlaysThroughTable(const uint8_t* track) {
  return track && (track[kTrackFlags] & kTrackFlagPlaysInstrument);
}

// Saves gCurrentInstrument for the length of a walk.
struct CurrentInstrumentSaver {
  int32_t saved = gCurrentInstrument;
  ~CurrentInstrumentSaver() { gCurrentInstrument = saved; }
};

int32_t SearchRecords(InstrumentSearchProc callback, void* arg, int32_t count) {
  if (!gInstruments || !callback) return 0;
  CurrentInstrumentSaver saver;
  for (int32_t i = 0; i < count; ++i) {
    gCurrentInstrument = i;
    int32_t result = callback(arg, GetInstrumentRecord(i));
    if (result != 0) return result;
  }
  return 0;
}

}  // namespace

int32_t GetTrackInstrument(const uint8_t* track, int32_t channel) {
  if (!track) return 0;
  // Only the 11 instrument words exist; any other channel reads channel 0's.
  if (channel < 0 || channel >= kTrackInstrumentSlots) channel = 0;
  int32_t index = ReadU16BE(track + kTrackInstruments + 2 * channel) >> 8;
  if (gInstrumentCount != 0 && index >= gInstrumentCount) index = gInstrumentCount - 1;
  return index;
}

int32_t SelectInstrumentOfTrack(int32_t channel) {
  gCurrentInstrument = GetTrackInstrument(gCurrentTrack, channel);
  return gCurrentInstrument;
}

int32_t UpdateCurrentInstrument() { return SelectInstrumentOfTrack(0); }

int32_t GetTrackInstrumentOrNone() {
  if (!TrackPlaysThroughTable(gCurrentTrack)) return -1;
  return GetTrackInstrument(gCurrentTrack, 0);
}

int32_t GetCurrentPitchBendRange() {
  const uint8_t* record = GetInstrumentRecord(gCurrentInstrument);
  if (TrackPlaysThroughTable(gCurrentTrack) && record) return record[kInstBendRange];
  return gDefaultBendRange;
}

uint32_t GetCurrentInstrumentDriverProc() {
  if (gCurrentInstrument < 0 || gCurrentInstrument >= gInstrumentCount) return 0;
  InstrumentView view(GetInstrumentRecord(gCurrentInstrument));
  if (!(view.PartMask() & 1)) return 0;
  return view.DriverProc(0);
}

uint32_t GetCurrentTrackDriverProc() {
  if (!gCurrentTrack) return 0;
  if (!TrackPlaysThroughTable(gCurrentTrack)) {
    RefreshCurrentTrackDriver();
    return ReadU32BE(gCurrentTrack + kTrackSetting208);
  }
  SelectInstrumentOfTrack(0);
  return GetCurrentInstrumentDriverProc();
}

void NumberInstrumentsForDisplay(uint8_t* records) {
  if (!records) return;
  uint16_t numbered = 0;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* r = records + size_t(i) * kInstrumentSize;
    WriteU16BE(r + kInstDisplayNumber, numbered);
    if (r[kInstNoDisplayNumber] == 0) ++numbered;
  }
}

StringPtr FormatProgramNumber(int32_t n, bool fromOne) {
  if (n < 0) {
    // Interim: the "none" text comes from the application's resources once authored.
    CopyCStringToPascal("None", gStringBuffer);
    return gStringBuffer;
  }
  NumToString(fromOne ? n + 1 : n, gStringBuffer);
  return gStringBuffer;
}

void IterateInstruments(InstrumentBlockProc callback, void* block, int32_t count) {
  if (!gInstruments || !callback || !block) return;
  CurrentInstrumentSaver saver;
  for (int32_t i = 0; i < count; ++i) {
    gCurrentInstrument = i;
    uint8_t* record = GetInstrumentRecord(i);
    std::memcpy(block, &record, sizeof record);
    callback(block);
  }
}

void ForEachInstrument(InstrumentBlockProc callback, void* block) {
  IterateInstruments(callback, block, gInstrumentCount);
}

void ForEachInstrumentAll(InstrumentBlockProc callback, void* block) {
  IterateInstruments(callback, block, gInstrumentCount + gAuxBusCount);
}

int32_t FindInstrument(InstrumentSearchProc callback, void* arg) {
  return SearchRecords(callback, arg, gInstrumentCount);
}

int32_t ForEachInstrumentAndSpecial(InstrumentSearchProc callback, void* arg) {
  return SearchRecords(callback, arg, gInstrumentCount + gAuxBusCount + 1);
}

int32_t ForEachHandleRecord(Handle block, InstrumentSearchProc callback, void* arg) {
  if (!block || !IsValidHandle(block) || !callback) return 0;
  int8_t state = HGetState(block);
  HLock(block);
  uint8_t* p = reinterpret_cast<uint8_t*>(*block);
  int32_t count = GetHandleSize(block) / kInstrumentSize;
  int32_t result = 0;
  for (int32_t i = 0; i < count && result == 0; ++i) result = callback(arg, p + size_t(i) * kInstrumentSize);
  HSetState(block, state);
  return result;
}

int32_t CountFlaggedInstruments(int32_t bit) {
  int32_t n = 0;
  for (int32_t i = 0; i < gInstrumentCount; ++i)
    if (GetInstrumentRecord(i)[kInstFlags] & (1u << (bit & 7))) ++n;
  return n;
}

// The instrument window redraws itself once it exists.
void SelectAllInstruments() {
  for (int32_t i = 0; i < gInstrumentCount; ++i) GetInstrumentRecord(i)[kInstFlags] |= kInstFlagSelected;
}
