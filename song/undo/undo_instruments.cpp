#include "song/undo/undo_instruments.h"

#include <initializer_list>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/undo/undo_ring.h"

namespace {

constexpr int32_t kRecordHandles[3] = {kInstInsertRack, kInstPanAssignment,
                                       kInstVolumeAssignment};

int32_t RecordCount(Handle table) { return GetHandleSize(table) / kInstrumentSize; }

uint8_t* RecordAt(Handle table, int32_t i) {
  return reinterpret_cast<uint8_t*>(HandleData(table)) + size_t(i) * kInstrumentSize;
}

OSErr DuplicateRecordHandle(int32_t field, Handle h, Handle* copy) {
  *copy = Handle();
  if (!h || !IsValidHandle(h)) return noErr;
  if (field == kInstInsertRack) return DuplicateRackShared(h, copy);
  return DuplicateHandleWithReserve(h, copy);
}

}  // namespace

OSErr DuplicateInstrumentTableBlock(Handle table, Handle* copy) {
  *copy = Handle();
  if (!table || !IsValidHandle(table)) return noErr;
  Handle dup;
  OSErr err = DuplicateHandleWithReserve(table, &dup);
  if (err != noErr) return err;
  // The copy first holds no handles, so that a failure part way frees only its own.
  for (int32_t i = 0; i < RecordCount(dup); ++i)
    for (int32_t field : kRecordHandles) WriteU32BE(RecordAt(dup, i) + field, 0);
  for (int32_t i = 0; i < RecordCount(dup) && err == noErr; ++i) {
    for (int32_t field : kRecordHandles) {
      Handle h;
      err = DuplicateRecordHandle(field, Handle(ReadU32BE(RecordAt(table, i) + field)), &h);
      if (err != noErr) break;
      WriteU32BE(RecordAt(dup, i) + field, h.id);
    }
  }
  if (err != noErr) {
    DisposeInstrumentTableBlock(&dup);
    return err;
  }
  *copy = dup;
  return noErr;
}

void DisposeInstrumentTableBlock(Handle* table) {
  if (!table || !*table) return;
  if (IsValidHandle(*table)) {
    for (int32_t i = 0; i < RecordCount(*table); ++i) {
      uint8_t* record = RecordAt(*table, i);
      Handle rack(ReadU32BE(record + kInstInsertRack));
      ReleaseRackPlugins(rack);
      for (int32_t field : kRecordHandles) {
        Handle h(ReadU32BE(RecordAt(*table, i) + field));
        if (h && IsValidHandle(h)) DisposeHandle(h);
        WriteU32BE(RecordAt(*table, i) + field, 0);
      }
    }
  }
  DisposeHandleAndClear(table);
}

OSErr KeepInstrumentTableInUndo() {
  UndoRecord* record = GetCurrentUndoRecord();
  if (!record) return nilHandleErr;
  DisposeInstrumentTableBlock(&record->instrumentTable);
  return DuplicateInstrumentTableBlock(gInstrumentTable, &record->instrumentTable);
}

OSErr ExchangeInstrumentTable(UndoRecord* record) {
  if (!record || !record->instrumentTable) return noErr;
  Handle kept = record->instrumentTable;
  int32_t count = 0, aux = 0;
  OSErr err = CountInstrumentTable(kept, &count, &aux);
  if (err != noErr) return err;
  uint8_t shared = 1;
  if (gInstruments) ForEachInstrumentAndSpecial(SetInstrumentRackShared, &shared);
  if (gInstrumentTable && IsValidHandle(gInstrumentTable)) HUnlock(gInstrumentTable);
  record->instrumentTable = gInstrumentTable;
  gInstrumentTable = kept;
  RecountInstrumentTable();
  shared = 0;
  ForEachInstrumentAndSpecial(SetInstrumentRackShared, &shared);
  RebuildInstrumentState();
  return noErr;
}
