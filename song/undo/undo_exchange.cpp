#include "song/undo/undo_exchange.h"

#include <cstring>
#include <vector>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_index.h"
#include "song/instruments/instrument_assignments.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/clipboard_record.h"
#include "song/model/editor_hooks.h"
#include "song/model/linked_song_swap.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_instruments.h"
#include "song/undo/undo_menu.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kHeaderSwapStart = 2;

// The entry with track number n of song (its index, its bytes), or -1.
int32_t FindEntry(Handle song, int32_t n, std::vector<uint8_t>* bytes) {
  if (PushSongContext() != noErr) return -1;
  SelectSong(song);
  int32_t index = -1;
  if (SelectTrackWithNumber(n)) {
    index = GetCurrentTrackIndex();
    int32_t length = ReadI16BE(gCurrentTrack + kTrackLength);
    bytes->assign(gCurrentTrack, gCurrentTrack + length);
  }
  PopSongContext();
  return index;
}

OSErr ResizeEntry(Handle song, int32_t index, int32_t length) {
  if (PushSongContext() != noErr) return kContextStackFull;
  SelectSong(song);
  SetCurrentTrackIndex(index);
  OSErr err = ResizeCurrentTrackEntry(length);
  PopSongContext();
  return err;
}

void WriteEntry(Handle song, int32_t index, const std::vector<uint8_t>& bytes) {
  if (PushSongContext() != noErr) return;
  SelectSong(song);
  SetCurrentTrackIndex(index);
  std::memcpy(gCurrentTrack, bytes.data(), bytes.size());
  PopSongContext();
}

OSErr AppendEntry(Handle song, const std::vector<uint8_t>& bytes) {
  if (PushSongContext() != noErr) return kContextStackFull;
  SelectSong(song);
  OSErr err = AddTrackEntry(int32_t(bytes.size())) == noErr ? OSErr(noErr) : OSErr(memFullErr);
  if (err == noErr) std::memcpy(gCurrentTrack, bytes.data(), bytes.size());
  PopSongContext();
  return err;
}

void RemoveEntry(Handle song, int32_t index, bool live) {
  if (PushSongContext() != noErr) return;
  SelectSong(song);
  SetCurrentTrackIndex(index);
  if (live) LowerEditorEntryIndexesAbove(index);
  WriteU16BE(gCurrentSong + kSongTrackCount, uint16_t(GetSongTrackCount() - 1));
  ResizeCurrentTrackEntry(0);
  PopSongContext();
}

// The entries of track number n trade places. Every growth comes first, so that a failure
// leaves both songs as they were.
OSErr ExchangeTrack(Handle live, Handle kept, int32_t n) {
  std::vector<uint8_t> l, k;
  int32_t li = FindEntry(live, n, &l);
  int32_t ki = FindEntry(kept, n, &k);
  if (li < 0 && ki < 0) return noErr;
  if (li >= 0 && ki >= 0) {
    bool liveGrows = k.size() > l.size();
    OSErr err = liveGrows ? ResizeEntry(live, li, int32_t(k.size()))
                          : ResizeEntry(kept, ki, int32_t(l.size()));
    if (err != noErr) return err;
    if (liveGrows)
      ResizeEntry(kept, ki, int32_t(l.size()));
    else
      ResizeEntry(live, li, int32_t(k.size()));
    WriteEntry(live, li, k);
    WriteEntry(kept, ki, l);
    return noErr;
  }
  if (li >= 0) {
    OSErr err = AppendEntry(kept, l);
    if (err == noErr) RemoveEntry(live, li, true);
    return err;
  }
  OSErr err = AppendEntry(live, k);
  if (err == noErr) RemoveEntry(kept, ki, false);
  return err;
}

void SetTrackRacks(Handle song, int32_t n, int32_t shared) {
  if (PushSongContext() != noErr) return;
  SelectSong(song);
  if (SelectTrackWithNumber(n)) SetTrackTreeRacksShared(shared);
  PopSongContext();
}

// Puts the current song's entries in the kept order: numbered entries by their number,
// unnumbered ones (255) in their own order; entries the order does not name go last.
void ReorderEntries(const uint8_t* order, int32_t orderCount) {
  int32_t count = GetSongTrackCount();
  std::vector<int32_t> offsets, lengths;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) return;
    offsets.push_back(int32_t(entry - gCurrentSong));
    lengths.push_back(ReadI16BE(entry + kTrackLength));
  }
  std::vector<bool> taken(size_t(count), false);
  std::vector<int32_t> sequence;
  auto take = [&](auto match) {
    for (int32_t i = 0; i < count; ++i) {
      if (taken[size_t(i)] || !match(gCurrentSong[offsets[size_t(i)] + kTrackNumber])) continue;
      taken[size_t(i)] = true;
      sequence.push_back(i);
      return;
    }
  };
  for (int32_t k = 0; k < orderCount; ++k) {
    uint8_t want = order[k];
    if (want < kMaxTrackNumbers)
      take([want](uint8_t number) { return number == want; });
    else
      take([](uint8_t number) { return number >= kMaxTrackNumbers; });
  }
  for (int32_t i = 0; i < count; ++i)
    if (!taken[size_t(i)]) sequence.push_back(i);
  std::vector<uint8_t> area;
  for (int32_t i : sequence)
    area.insert(area.end(), gCurrentSong + offsets[size_t(i)],
                gCurrentSong + offsets[size_t(i)] + lengths[size_t(i)]);
  std::memcpy(gCurrentSong + kSongHeaderSize, area.data(), area.size());
}

OSErr ExchangeSongTable(UndoRecord* record) {
  Handle saved = record->savedSongTable;
  int32_t cells = GetHandleSize(saved) / 4;
  for (int32_t n = 0; n < cells; ++n)
    SetSongTreeRacksShared(Handle(ReadU32BE(HandleData(saved) + 4 * n)), 0);
  record->savedSongTable = gSongHandles;
  gSongHandles = saved;
  gSongCount = cells;
  Handle old = record->savedSongTable;
  for (int32_t n = 0; n < GetHandleSize(old) / 4; ++n)
    SetSongTreeRacksShared(Handle(ReadU32BE(HandleData(old) + 4 * n)), 1);
  CacheSongListInClock();
  DisposeAllEventIndexes();
  const uint8_t* copy = reinterpret_cast<const uint8_t*>(HandleData(record->songCopy));
  if (!copy || !SelectPackedPosition(ReadU32BE(copy + kSongPackedPosition))) {
    SelectSongIndex(0);
    UpdateCurrentTrackPtr();
  }
  RebuildTrackNumberMap();
  RebuildEventIndexes();
  InvalidateSongListWindow();
  return noErr;
}

void ExchangeClipboard(UndoRecord* record) {
  Handle clipboard = gClipboard;
  gClipboard = record->clipboard;
  record->clipboard = clipboard;
  Handle part2 = gClipboardPart2;
  gClipboardPart2 = record->clipboardPart2;
  record->clipboardPart2 = part2;
  // A live song holds no packed position (only kept copies do).
  if (char* p = gClipboardPart2 ? HandleData(gClipboardPart2) : nullptr)
    WriteU32BE(p + kSongPackedPosition, 0);
}

OSErr ExchangeSongContents(UndoRecord* record) {
  const uint8_t* copy = reinterpret_cast<const uint8_t*>(HandleData(record->songCopy));
  if (!copy || !SelectPackedPosition(ReadU32BE(copy + kSongPackedPosition))) return paramErr;
  Handle live = gCurrentSongHandle;
  uint16_t liveEntry = ReadU16BE(gCurrentSong + kSongCurrentEntry);
  ExchangeSongHeaders(live, record->songCopy);
  SelectSong(live);
  OSErr err = ExchangeTrackEntries(record);
  SelectSong(live);
  WriteU16BE(gCurrentSong + kSongCurrentEntry, record->currentEntry);
  record->currentEntry = liveEntry;
  UpdateCurrentTrackPtr();
  SwapUndoChildrenWithLinkedSongs(record);
  if (gCurrentChildIndex < 0) {
    RebuildTrackNumberMap();
    RebuildEventIndexes();
  }
  NoteConductorMapChanged();
  return err;
}

}  // namespace

void ExchangeSongHeaders(Handle live, Handle copy) {
  uint8_t* a = reinterpret_cast<uint8_t*>(HandleData(live));
  uint8_t* b = reinterpret_cast<uint8_t*>(HandleData(copy));
  if (!a || !b || a == b) return;
  uint32_t packed = ReadU32BE(b + kSongPackedPosition);
  uint8_t buffer[kSongHeaderSize];
  size_t n = size_t(kSongHeaderSize - kHeaderSwapStart);
  std::memcpy(buffer, a + kHeaderSwapStart, n);
  std::memcpy(a + kHeaderSwapStart, b + kHeaderSwapStart, n);
  std::memcpy(b + kHeaderSwapStart, buffer, n);
  WriteU32BE(b + kSongPackedPosition, packed);
  WriteU32BE(a + kSongPackedPosition, 0);
}

OSErr ExchangeTrackEntries(UndoRecord* record) {
  const uint8_t* selection = record->selection;
  int32_t first = selection[kSelectionFirstSlot];
  int32_t last = selection[kSelectionLastSlot];
  Handle live = gCurrentSongHandle;
  Handle kept = record->spareSong;
  if (!kept || !live || last >= kMaxTrackNumbers) return noErr;
  uint8_t liveOrder[kUndoEntryOrderMax];
  int32_t liveCount = CaptureEntryOrder(liveOrder, kUndoEntryOrderMax);
  std::vector<int32_t> exchanged;
  for (int32_t n = first; n <= last; ++n) {
    if (!IsSlotInSelection(selection, n)) continue;
    OSErr err = ExchangeTrack(live, kept, n);
    if (err != noErr) return err;
    exchanged.push_back(n);
  }
  // The chains now kept are listed before the lists now live are linked again, so that
  // relinking never changes a chain that is still to be listed.
  for (int32_t n : exchanged) SetTrackRacks(kept, n, 1);
  for (int32_t n : exchanged) SetTrackRacks(live, n, 0);
  SelectSong(live);
  if (record->hasEntryOrder) ReorderEntries(record->entryOrder, record->entryOrderCount);
  record->hasEntryOrder = liveCount >= 0 ? 1 : 0;
  record->entryOrderCount = uint16_t(liveCount >= 0 ? liveCount : 0);
  if (liveCount > 0) std::memcpy(record->entryOrder, liveOrder, size_t(liveCount));
  UpdateCurrentTrackPtr();
  return noErr;
}

OSErr ExchangeUndoState(UndoRecord* record, int32_t) {
  OSErr err = noErr;
  if (record->instrumentTable) err = ExchangeInstrumentTable(record);
  if (err == noErr && record->savedSongTable) {
    err = ExchangeSongTable(record);
  } else if (err == noErr) {
    if (record->keepsClipboard) ExchangeClipboard(record);
    if (record->songCopy && record->spareSong) err = ExchangeSongContents(record);
  }
  SetSongModified();
  InvalidateTrackWindow();
  InvalidateEditorWindow();
  return err;
}

OSErr RestoreUndoRecord(UndoRecord* record) {
  if (!record || record->kind < 0 || record->kind >= kFirstUnrestorableUndoKind) return noErr;
  if (record->unrestorable || record->kind == kUndoKindEngineHook) return noErr;
  WaitForOverviewJobs();  // no overview is computed from the tracks about to be exchanged
  if (record->kind == kUndoKindInstrumentAssignments) {
    if (record->assignments) {
      Handle live = gInstrumentAssignments;
      gInstrumentAssignments = record->assignments;
      record->assignments = live;
      InvalidateEditorWindow();
      InvalidateTrackWindow();
    }
    return noErr;
  }
  OSErr err = ExchangeUndoState(record, 1);
  if (err != noErr) {
    ResetUndoHistory();
    ReportAppErrorText(kUndoStepFailedText);
  }
  return err;
}

OSErr UndoLastEdit() {
  if (!CanUndo()) return noErr;
  OSErr err = RestoreUndoRecord(GetCurrentUndoRecord());
  if (err != noErr) return err;
  gUndoRing->current = PrevUndoIndex(gUndoRing->current);
  UpdateUndoMenuItem();
  return noErr;
}

OSErr CancelLastEdit() {
  if (!CanUndo()) return noErr;
  OSErr err = UndoLastEdit();
  if (err != noErr) return err;
  for (uint32_t i = gUndoRing->current; i != gUndoRing->head; i = NextUndoIndex(i))
    DisposeUndoRecord(UndoRecordAt(i));
  gUndoRing->head = gUndoRing->current;
  UpdateUndoMenuItem();
  return noErr;
}

OSErr RedoEdit() {
  if (!CanRedo()) return noErr;
  gUndoRing->current = NextUndoIndex(gUndoRing->current);
  OSErr err = RestoreUndoRecord(GetCurrentUndoRecord());
  if (err != noErr) return err;
  UpdateUndoMenuItem();
  return noErr;
}
