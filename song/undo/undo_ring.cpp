#include "song/undo/undo_ring.h"

#include <cstdio>
#include <new>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/base/fatal_stop.h"
#include "shell/base/memory_reserve.h"
#include "song/instruments/instrument_assignments.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/undo/clipboard_hooks.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_instruments.h"
#include "song/undo/undo_menu.h"

int32_t gUndoLevels = kDefaultUndoLevels;
UndoRingHeader* gUndoRing = nullptr;

namespace {

constexpr Size kCompactRequest = 0x100000;

Size RingSize(int32_t levels) {
  return Size(sizeof(UndoRingHeader) + sizeof(UndoRecord) * size_t(levels + 1));
}

UndoRecord* Records() {
  return reinterpret_cast<UndoRecord*>(reinterpret_cast<char*>(gUndoRing) +
                                       sizeof(UndoRingHeader));
}

UndoRingHeader* NewRing(int32_t levels) {
  Ptr block = NewPtrClear(RingSize(levels));
  if (!block) return nullptr;
  auto* ring = reinterpret_cast<UndoRingHeader*>(block);
  auto* records = reinterpret_cast<UndoRecord*>(block + sizeof(UndoRingHeader));
  for (int32_t i = 0; i <= levels; ++i) new (&records[i]) UndoRecord();
  return ring;
}

bool SongTableHolds(Handle table, Handle h) {
  if (!table || !IsValidHandle(table)) return false;
  int32_t cells = GetHandleSize(table) / 4;
  const char* p = HandleData(table);
  for (int32_t n = 0; n < cells; ++n)
    if (ReadU32BE(p + 4 * n) == h.id) return true;
  return false;
}

template <typename Visit>
bool AnyRecordInUse(Visit visit) {
  if (!gUndoRing) return false;
  for (uint32_t k = gUndoRing->tail; k != gUndoRing->head; k = NextUndoIndex(k))
    if (visit(*UndoRecordAt(k))) return true;
  return false;
}

void DisposeSavedSongTable(UndoRecord* record) {
  Handle table = record->savedSongTable;
  if (!table) return;
  for (int32_t n = 0; n < GetHandleSize(table) / 4; ++n) {
    Handle song(ReadU32BE(HandleData(table) + 4 * n));
    if (!song) continue;
    if (song == gSectionModeSong) gSectionModeSong = Handle();
    DisposeSnapshotSong(&song);
  }
  DisposeHandleAndClear(&record->savedSongTable);
}

void RunOnSong(Handle song, int32_t (*operation)(void*), void* arg) {
  if (!song || !IsValidHandle(song) || PushSongContext() != noErr) return;
  SelectSong(song);
  operation(arg);
  PopSongContext();
}

}  // namespace

uint32_t NextUndoIndex(uint32_t i) { return i >= uint32_t(gUndoLevels) ? 0 : i + 1; }

uint32_t PrevUndoIndex(uint32_t i) { return i == 0 ? uint32_t(gUndoLevels) : i - 1; }

UndoRecord* UndoRecordAt(uint32_t i) {
  if (!gUndoRing || i > uint32_t(gUndoLevels)) return nullptr;
  return &Records()[i];
}

UndoRecord* GetCurrentUndoRecord() {
  return gUndoRing ? UndoRecordAt(PrevUndoIndex(gUndoRing->current)) : nullptr;
}

OSErr AllocateUndoRing(int32_t levels) {
  if (levels < 1) levels = 1;
  if (gUndoRing && levels != gUndoLevels) DisposeUndoRing();
  if (gUndoRing) return noErr;
  gUndoLevels = levels;
  gUndoRing = NewRing(levels);
  if (!gUndoRing) {
    OSErr err = MemError();
    gUndoLevels = 1;
    gUndoRing = NewRing(1);
    if (!gUndoRing) FatalMemoryStop(MemError() ? MemError() : err);
    return err ? err : OSErr(memFullErr);
  }
  return noErr;
}

void DisposeUndoRing() {
  if (!gUndoRing) return;
  FlushUndoRing(1, 0);
  for (int32_t i = 0; i <= gUndoLevels; ++i) DisposeUndoRecord(&Records()[i]);
  DisposePtr(reinterpret_cast<Ptr>(gUndoRing));
  gUndoRing = nullptr;
}

UndoRecord* OpenUndoRecord() {
  if (!gUndoRing) AllocateUndoRing(gUndoLevels);
  if (!gUndoRing->busy) {
    if (gUndoRing->current == gUndoRing->head) {
      uint32_t next = NextUndoIndex(gUndoRing->current);
      if (next == gUndoRing->tail) DropOldestUndoRecord();
      gUndoRing->head = gUndoRing->current = next;
    } else {
      for (uint32_t i = gUndoRing->current; i != gUndoRing->head; i = NextUndoIndex(i))
        DisposeUndoRecord(UndoRecordAt(i));
      gUndoRing->current = NextUndoIndex(gUndoRing->current);
    }
  }
  return PrepareUndoRecord();
}

UndoRecord* PrepareUndoRecord() {
  if (!gUndoRing) AllocateUndoRing(gUndoLevels);
  UndoRecord* record = GetCurrentUndoRecord();
  if (!record->songCopy) {
    record->songCopy = NewSnapshotHandle();
    if (!record->songCopy) {
      AlertInsufficientMemory(0);
      return nullptr;
    }
  }
  DisposeHandleAndClear(&record->unrestorable);
  return record;
}

void DropOldestUndoRecord() {
  if (!gUndoRing) return;
  DisposeUndoRecord(UndoRecordAt(gUndoRing->tail));
  AdvanceUndoTail();
}

void AdvanceUndoTail() {
  if (gUndoRing->tail == gUndoRing->head) {
    std::fputs("Undo Tail tried to pass undo head!\n", stderr);
    return;
  }
  gUndoRing->tail = NextUndoIndex(gUndoRing->tail);
}

void FlushUndoRing(int32_t all, int32_t compact) {
  if (!gUndoRing) return;
  if (!all) {
    if (gUndoRing->tail != gUndoRing->head) DropOldestUndoRecord();
  } else {
    while (gUndoRing->tail != gUndoRing->head) DropOldestUndoRecord();
    gUndoRing->head = gUndoRing->tail = gUndoRing->current = 0;
  }
  if (compact) CompactMem(kCompactRequest);
}

void FlushUndo(int32_t all) {
  if (gUndoRing) FlushUndoRing(all, 1);
}

void DisposeUndoRecord(UndoRecord* record) {
  if (!record) return;
  uint16_t saved = gAppState[1];
  gAppState[1] |= kAppWord1DrawingSuppressed;
  DisposeSavedSongTable(record);
  DisposeSnapshotSong(&record->songCopy);
  DisposeSnapshotSong(&record->spareSong);
  DisposeClipboardCopy(&record->clipboard);
  DisposeSnapshotSong(&record->clipboardPart2);
  DisposeInstrumentTableBlock(&record->instrumentTable);
  DisposeHandleAndClear(&record->assignments);
  DisposeHandleAndClear(&record->unrestorable);
  DisposeHandleAndClear(&record->extraState);
  record->ownerSong = Handle();
  record->keepsClipboard = 0;
  record->hasEntryOrder = 0;
  record->entryOrderCount = 0;
  record->kind = kNoUndoKind;
  gAppState[1] = uint16_t((gAppState[1] & ~kAppWord1DrawingSuppressed) |
                          (saved & kAppWord1DrawingSuppressed));
}

void ResetUndoHistory() {
  FlushUndo(1);
  ResetUndoMenuTexts();
  if (UndoRecord* record = GetCurrentUndoRecord()) record->kind = kNoUndoKind;
}

void DiscardOpenUndoRecord() {
  if (!gUndoRing) return;
  gUndoRing->busy = 0;
  if (gUndoRing->current == gUndoRing->tail) return;
  DisposeUndoRecord(GetCurrentUndoRecord());
  gUndoRing->head = gUndoRing->current = PrevUndoIndex(gUndoRing->current);
  UpdateUndoMenuItem();
}

void SetUndoBusy(bool busy) {
  if (!gUndoRing) AllocateUndoRing(gUndoLevels);
  gUndoRing->busy = busy ? 1 : 0;
}

bool IsUndoBusy() { return gUndoRing && gUndoRing->busy; }

void SetCurrentUndoKind(int32_t kind) {
  UndoRecord* record = GetCurrentUndoRecord();
  if (!record) return;
  record->kind = kind;
  UpdateUndoMenuItem();
}

int32_t GetCurrentUndoKind() {
  UndoRecord* record = GetCurrentUndoRecord();
  return record ? record->kind : kNoUndoKind;
}

OSErr RecordInstrumentAssignmentUndo() {
  UndoRecord* record = OpenUndoRecord();
  if (!record) return memFullErr;
  DisposeHandleAndClear(&record->assignments);
  record->kind = kUndoKindInstrumentAssignments;
  OSErr err = noErr;
  if (gInstrumentAssignments) err = DuplicateHandleWithReserve(gInstrumentAssignments, &record->assignments);
  UpdateUndoMenuItem();
  return err;
}

bool CanUndo() {
  if (!gUndoRing || gUndoRing->head == gUndoRing->tail) return false;
  if (gUndoRing->current == gUndoRing->tail) return false;
  return GetCurrentUndoRecord()->kind >= 0;
}

bool CanRedo() {
  if (!gUndoRing || gUndoRing->head == gUndoRing->tail) return false;
  if (gUndoRing->current == gUndoRing->head) return false;
  return UndoRecordAt(gUndoRing->current)->kind >= 0;
}

bool IsHandleInUndoRing(Handle h) {
  if (!h) return false;
  return AnyRecordInUse([h](const UndoRecord& r) {
    return r.songCopy == h || r.spareSong == h || SongTableHolds(r.savedSongTable, h);
  });
}

bool IsSongHeldByUndo(Handle song) {
  if (!song) return false;
  return IsHandleInUndoRing(song) ||
         AnyRecordInUse([song](const UndoRecord& r) { return r.clipboardPart2 == song; });
}

bool IsClipboardHandleInUndo(Handle h) {
  if (!h) return false;
  if (h == gClipboardPart2) return true;
  return AnyRecordInUse([h](const UndoRecord& r) { return r.clipboardPart2 == h; });
}

void ReplaceUndoSongHandle(Handle old, Handle replacement) {
  if (!gUndoRing || !old) return;
  for (int32_t i = 0; i <= gUndoLevels; ++i)
    if (Records()[i].ownerSong == old) Records()[i].ownerSong = replacement;
}

void ForEachUndoSnapshotHandle(int32_t (*operation)(void* arg), void* arg) {
  if (!gUndoRing || !operation) return;
  for (uint32_t k = gUndoRing->tail; k != gUndoRing->head; k = NextUndoIndex(k)) {
    UndoRecord* r = UndoRecordAt(k);
    if (Handle table = r->savedSongTable) {
      for (int32_t n = 0; n < GetHandleSize(table) / 4; ++n)
        RunOnSong(Handle(ReadU32BE(HandleData(table) + 4 * n)), operation, arg);
    }
    RunOnSong(r->songCopy, operation, arg);
    RunOnSong(r->spareSong, operation, arg);
    RunOnSong(r->clipboardPart2, operation, arg);
  }
}
