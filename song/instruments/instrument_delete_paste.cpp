// Removing instruments from the table and pasting copied ones into it, with every reference
// renumbered.
#include <algorithm>
#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/app_state.h"
#include "shell/base/audio_driver_lookup.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"

namespace {

uint8_t* RawRecord(int32_t i) { return gInstruments + size_t(i) * kInstrumentSize; }

// Removes the flagged instruments (all of them: the caller has made sure one stays), moving
// later records down, then shrinks the block.
void RemoveFlaggedRecords(uint8_t mask) {
  int32_t count = gInstrumentCount;
  int32_t write = 0;
  for (int32_t read = 0; read < count; ++read) {
    uint8_t* record = RawRecord(read);
    if (record[kInstFlags] & mask) {
      DisposeInstrumentResources(record);
      if (read == 0) gInstrumentInsertionPoint = 0;
      continue;
    }
    if (write != read) std::memmove(RawRecord(write), record, kInstrumentSize);
    ++write;
  }
  std::memmove(RawRecord(write), RawRecord(count), size_t(gAuxBusCount + 1) * kInstrumentSize);
  gInstrumentCount = write;
  HUnlock(gInstrumentTable);
  SetInstrumentTableSize(write);
  RefreshInstrumentTablePointer();
}

void MarkInstruments(uint8_t mask, bool (*test)(const InstrumentView&, const void*), const void* arg) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    InstrumentView view(record);
    if (test(view, arg))
      record[kInstFlags] |= mask;
    else
      record[kInstFlags] &= uint8_t(~mask);
  }
}

bool IsPluginOfDevice(const InstrumentView& view, const void* arg) {
  uint8_t port = *static_cast<const uint8_t*>(arg);
  return view.DeviceKind(0) == kDeviceKindPlugin && (port == 0 || view.Port(0) == port);
}

bool IsOrphanedPlugin(const InstrumentView& view, const void*) {
  return view.DeviceKind(0) == kDeviceKindPlugin && view.Port(0) != 0 &&
         FindDeviceById(view.Port(0), 0) == nullptr;
}

bool IsMidiInstrument(const InstrumentView& view, const void*) {
  uint8_t kind = view.DeviceKind(0);
  return !HasAudioDriverEntry(kind) && kind != kDeviceKindPlugin;
}

Handle CopyHandleOrNone(Handle h) {
  if (!h || !IsValidHandle(h)) return Handle();
  Handle copy = h;
  return HandToHand(&copy) == noErr ? copy : Handle();
}

// A pasted record gets handles of its own and loses the run-time state of its old home.
void FixUpPastedInstrument(uint8_t* record) {
  InstrumentView view(record);
  view.SetInsertRack(DuplicateInsertRack(view.InsertRack()));
  WriteU32BE(record + kInstPanAssignment, CopyHandleOrNone(view.PanAssignment()).id);
  WriteU32BE(record + kInstVolumeAssignment, CopyHandleOrNone(view.VolumeAssignment()).id);
  WriteI32BE(record + kInstMeterHold, 0);
  record[kInstMeterClip] = 0;
  std::memset(record + kInstMeterValues, 0, 6);
  WriteI16BE(record + kInstMeterLevel, 0);
  view.SetLinkPrevious(0);
  view.SetLinkNext(0);
  if (view.PluginDevice() != 0) record[kInstPorts] = GetDeviceId(FindDeviceBySecondId(view.PluginDevice()));
  ResolveInstrumentParts(record, view.PartMask());
}

// Copies the first n selected instruments of a clipboard table into [at, at + n).
void CopySelectedRecords(const uint8_t* clip, int32_t clipCount, int32_t at, int32_t n) {
  uint16_t savedState = gAppState[1];
  gAppState[1] |= kAppWord1DrawingSuppressed;
  for (int32_t i = 0, placed = 0; i < clipCount && placed < n; ++i) {
    const uint8_t* source = clip + size_t(i) * kInstrumentSize;
    if (!(source[kInstFlags] & kInstFlagSelected)) continue;
    uint8_t* target = GetInstrumentRecord(at + placed++);
    std::memcpy(target, source, kInstrumentSize);
    FixUpPastedInstrument(target);
  }
  gAppState[1] = savedState;
}

int32_t CountSelected(const uint8_t* clip, int32_t clipCount) {
  int32_t n = 0;
  for (int32_t i = 0; i < clipCount; ++i)
    if (clip[size_t(i) * kInstrumentSize + kInstFlags] & kInstFlagSelected) ++n;
  return n;
}

// Grows the table by n slots at `at` and fills them from the clipboard.
OSErr InsertClipboardRecords(Handle clip, int32_t clipCount, int32_t at, int32_t n) {
  int32_t old = gInstrumentCount;
  Handle tail;
  int32_t clamped = 0;
  OSErr err = ResizeInstrumentTable(old + n, &tail, &clamped, gAuxBusCount);
  if (err == noErr) {
    std::memmove(GetInstrumentRecord(at + n), GetInstrumentRecord(at), size_t(old - at) * kInstrumentSize);
    std::memset(GetInstrumentRecord(at), 0, size_t(n) * kInstrumentSize);
    int8_t state = HGetState(clip);
    HLock(clip);
    CopySelectedRecords(reinterpret_cast<const uint8_t*>(*clip), clipCount, at, n);
    HSetState(clip, state);
  }
  RestoreAuxAndMasterEntries(tail);
  return err;
}

}  // namespace

void DeleteFlaggedInstruments(int32_t bit) {
  if (!gInstruments) return;
  uint8_t mask = uint8_t(1u << (bit & 7));
  int32_t flagged = CountFlaggedInstruments(bit);
  if (flagged == 0) return;
  SetSongModified();
  uint8_t processorFlags = TakeRealtimeProcessorFlags();
  // The table never loses its last instrument: when every one carries the bit, the last one
  // stays, and references are mapped knowing that it stays.
  uint8_t* kept = flagged == gInstrumentCount ? GetInstrumentRecord(gInstrumentCount - 1) : nullptr;
  if (kept) kept[kInstFlags] &= uint8_t(~mask);
  RenumberInstrumentReferencesForDeletion(bit);
  RemoveFlaggedRecords(mask);
  if (kept) GetInstrumentRecord(0)[kInstFlags] |= mask;
  ClampProcessorInstruments(processorFlags);
  RebuildLinkGroups();
  if (gCurrentInstrument >= gInstrumentCount) gCurrentInstrument = 0;
}

void DeleteFlaggedInstrumentsAndRebuild(int32_t bit) {
  DeleteFlaggedInstruments(bit);
  RebuildInstrumentState();
}

void DeletePluginInstrumentsOfDevice(uint8_t port) {
  MarkInstruments(kInstFlagMarked, IsPluginOfDevice, &port);
  DeleteFlaggedInstrumentsAndRebuild(4);
}

void DeleteOrphanedPluginInstruments() {
  MarkInstruments(kInstFlagMarked, IsOrphanedPlugin, nullptr);
  DeleteFlaggedInstrumentsAndRebuild(4);
}

void DeleteMidiInstruments() {
  MarkInstruments(kInstFlagSelected, IsMidiInstrument, nullptr);
  DeleteFlaggedInstruments(7);
}

OSErr PasteInstrumentsFrom(Handle clip) {
  if (!gInstruments) return nilHandleErr;
  if (!clip || !IsValidHandle(clip)) return nilHandleErr;
  DeleteFlaggedInstruments(7);
  gInstrumentInsertionPoint = std::clamp(gInstrumentInsertionPoint, 0, gInstrumentCount);
  uint8_t processorFlags = TakeRealtimeProcessorFlags();
  int32_t clipCount = 0, clipAux = 0;
  OSErr err = CountInstrumentTable(clip, &clipCount, &clipAux);
  int32_t n = 0;
  if (err == noErr) {
    n = CountSelected(reinterpret_cast<const uint8_t*>(*clip), clipCount);
    n = std::min(n, kMaxInstruments - gInstrumentCount);
  }
  if (n > 0) {
    int32_t at = gInstrumentInsertionPoint;
    err = InsertClipboardRecords(clip, clipCount, at, n);
    if (err == noErr) {
      RecountInstrumentTable();
      RenumberInstrumentReferencesForInsertion(at, n);
      SetSongModified();
    }
  }
  ClampProcessorInstruments(processorFlags);
  RebuildLinkGroups();
  RebuildInstrumentState();
  return err;
}

OSErr PasteInstruments() {
  Handle table = GetClipboardInstrumentTable();
  if (!table) return noErr;
  return PasteInstrumentsFrom(table);
}
