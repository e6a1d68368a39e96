#include "editing/event_clipboard.h"

#include <cstring>

#include "editing/clipboard_copy.h"
#include "editing/edit_commands.h"
#include "editing/edit_context.h"
#include "editing/event_filters.h"
#include "editing/lane_paste.h"
#include "song/conductor/conductor_map.h"
#include "editors/timeline/click_state.h"
#include "platform/memory/memory.h"
#include "shell/base/iteration_abort.h"
#include "shell/windows/editor_panes.h"
#include "song/events/time_selection.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/undo/undo_clipboard.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_instruments.h"
#include "song/undo/undo_ring.h"

uint8_t gClipboardOwned = 0;

namespace {

// The rack table: a copy of the instrument table (instruments, busses, the master) with its
// own racks, its two counts and a mask bit for each entry that has an insert rack.
OSErr MakeRackTable(uint8_t* record) {
  if (!gInstrumentTable) return noErr;
  Handle table;
  OSErr err = DuplicateInstrumentTableBlock(gInstrumentTable, &table);
  if (err != noErr) return err;
  EventClipboardView view(record);
  view.SetRackTable(table);
  view.SetInstrumentCount(uint16_t(gInstrumentCount));
  view.SetBusCount(uint16_t(gAuxBusCount));
  int32_t entries = gInstrumentCount + gAuxBusCount + 1;
  for (int32_t i = 0; i < entries && i < kClipboardRackMaskBytes * 8; ++i) {
    const uint8_t* entry = GetInstrumentRecord(i);
    if (entry && ReadU32BE(entry + kInstInsertRack) != 0)
      view.RackMask()[i / 8] |= uint8_t(1 << (i % 8));
  }
  return noErr;
}

void WritePosition(uint8_t* at, const TimePosition& position) {
  WriteU32BE(at + kClipboardPositionTick, position.tick);
  WriteU64BE(at + kClipboardPositionSample, position.sample);
  WriteF32BE(at + kClipboardPositionRate, position.rate);
}

bool IsWholeSongSelection() {
  if (gEditContextKind != kContextEditorNotes && gEditContextKind != kContextTrackWindow &&
      gEditContextKind != kContextSongList)
    return false;
  for (int32_t n = 0; n < kMaxTrackNumbers; ++n)
    if (!IsTrackSlotSelected(n)) return false;
  return true;
}

uint8_t ClipboardKindForContext() {
  if (IsConductorContext()) return kClipboardKindConductor;
  if (gEditContextKind == kContextInstruments) return kClipboardKindInstruments;
  if (gEditContextKind == kContextMarkers) return kClipboardKindMarkers;
  return kClipboardKindTracks;
}

// The conductor lane a copy comes from: 2 the tempo lane, 4 the master-volume lane.
uint8_t ConductorLaneByte() {
  int32_t lane = CurrentLaneIndex();
  if (gEditContextKind != kContextEditorLane) return 0;
  return lane == kLaneTempo ? kConductorTempo : lane == kLaneMasterVolume ? kConductorMasterVolume : 0;
}

}  // namespace

uint8_t* GetClipboardRecord() {
  if (!gClipboard || !IsValidHandle(gClipboard)) return nullptr;
  if (GetHandleSize(gClipboard) < kClipboardRecordSize) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(gClipboard));
}

OSErr NewClipboard(uint8_t kind, int32_t size, int32_t /*rackMode*/) {
  ClipboardCommand(true, true);
  gIterationAbort = 0;
  if (size < kClipboardRecordSize) size = kClipboardRecordSize;
  OSErr err = memFullErr;
  gClipboard = NewHandleClear(size);
  if (gClipboard) {
    uint8_t* record = GetClipboardRecord();
    record[kClipboardKind] = kind;
    err = kind == kClipboardKindTracks || kind == kClipboardKindInstruments ? MakeRackTable(record)
                                                                         : noErr;
  }
  if (err == noErr) {
    gClipboardPart2 = NewSnapshotHandle();
    if (!gClipboardPart2) err = memFullErr;
  }
  if (err != noErr) {
    gIterationAbort = 1;
    ClipboardCommand(true, true);
    return err;
  }
  gClipboardOwned = 1;
  return noErr;
}

OSErr ClipboardCommandMode2(uint8_t kind, int32_t size) { return NewClipboard(kind, size, 2); }

void ClipboardCommand(bool disposeSong, bool /*releaseMovies*/) {
  uint8_t kind = 0;
  if (uint8_t* record = GetClipboardRecord()) kind = record[kClipboardKind];
  Handle table = ClipboardRackTableOf(gClipboard);
  if (table) DisposeInstrumentTableBlock(&table);
  if (disposeSong) {
    DisposeSnapshotSong(&gClipboardPart2);
  } else if (kind != kClipboardKindInstruments && gClipboardPart2) {
    // The song block stays for its holder; its tracks go.
    DisposeSnapshotSong(&gClipboardPart2);
    gClipboardPart2 = NewSnapshotHandle();
  }
  if (gClipboard && IsValidHandle(gClipboard)) DisposeHandle(gClipboard);
  gClipboard = Handle();
}

void SaveClipboardState(ClipboardState* record) {
  record->clipboard = gClipboard;
  record->song = gClipboardPart2;
  record->owned = gClipboardOwned;
  gClipboard = Handle();
  gClipboardPart2 = Handle();
  gClipboardOwned = 0;
}

void RestoreClipboardState(const ClipboardState* record, bool /*announce*/) {
  // The program keeps no movie references on the clipboard, so there is nothing to mark.
  gClipboard = record->clipboard;
  gClipboardPart2 = record->song;
  gClipboardOwned = record->owned;
}

void FillClipboardHeader(int32_t mode) {
  uint8_t* record = GetClipboardRecord();
  if (!record) return;
  EventClipboardView view(record);
  view.SetWholeSong(mode == 2 && IsWholeSongSelection() ? 1 : 0);
  view.SetSongLength(gCurrentSong ? ReadU32BE(gCurrentSong + kSongEndTick) : 0);
  std::memcpy(view.Tracks(), gTrackSelection, kTrackSelectionSize);
  WritePosition(record + kClipboardStart, gTimeSelection.start);
  WritePosition(record + kClipboardEnd, gTimeSelection.end);
  view.SetNoteRange(gFilterLowNote, gFilterHighNote);
  view.SetContext(uint8_t(gEditContextKind));
  view.SetConductorLane(0);
}

namespace {

struct CopyStep {
  int16_t undoKind;
  int32_t rackMode;
  bool keepsClipboard;
};

void CopyIntoNewClipboard(int32_t rackMode) {
  if (NewClipboard(ClipboardKindForContext(), kClipboardRecordSize, rackMode) != noErr) return;
  FillClipboardHeader(2);
  if (gEditContextKind == kContextInstruments) return;
  if (IsConductorContext()) GetClipboardRecord()[kClipboardConductorLane] = ConductorLaneByte();
  if (gEditContextKind == kContextConductorList) {
    CopyConductorToClipboard();
  } else {
    GetClipboardRecord()[kClipboardSourceSlot] = uint8_t(gCurrentPaneSlot > 0 ? gCurrentPaneSlot : 0);
    CopyTracksToClipboard();
  }
  if (gIterationAbort) ClipboardCommand(true, true);
}

int32_t RunCopyStep(void* arg) {
  auto* step = static_cast<CopyStep*>(arg);
  if (step->keepsClipboard) SetCurrentUndoKind(step->undoKind);
  CopyIntoNewClipboard(step->rackMode);
  return 1;
}

}  // namespace

void CopyToClipboard(int16_t undoKind, int32_t rackMode) {
  bool ownSelection = gEditContextKind == kContextInstruments || gEditContextKind == kContextMarkers;
  if (!ownSelection && !RequireTimeSelection()) return;
  if (undoKind <= 0) {
    CopyIntoNewClipboard(rackMode);
    return;
  }
  // The step keeps the clipboard as it was, so that Undo brings the previous one back.
  CopyStep step{undoKind, rackMode, GetClipboardRecord() != nullptr};
  CallWithoutUndoBusy(RunCopyStep, &step);
}

void CopySelection() { CopyToClipboard(kUndoKindCopy, 2); }
