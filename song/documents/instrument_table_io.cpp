#include "song/documents/instrument_table_io.h"

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/document_file.h"
#include "song/documents/document_input.h"
#include "song/documents/old_document_forms.h"
#include "song/documents/plugin_record_io.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/plugin_records.h"

namespace {

constexpr int32_t kAlternate = 4;
constexpr int32_t kMeterWord124 = 124;
constexpr int32_t kDriverProcBytes = 4 * kInstrumentParts;

bool IsLive(Handle h) { return h && IsValidHandle(h); }

Handle RecordHandle(const uint8_t* record, int32_t offset) {
  return Handle(ReadU32BE(record + offset));
}

// The plug-in record written for a record, or 0.
Handle WrittenPluginRecord(const uint8_t* record) {
  Handle h = RecordHandle(record, kInstInsertRack);
  return IsLive(h) && IsReadablePluginRecordSize(GetHandleSize(h)) ? h : Handle();
}

void MakeStoredRecordImage(uint8_t* image, const uint8_t* record) {
  Handle plugin = WrittenPluginRecord(record);
  WriteU32BE(image + kInstInsertRack, plugin.id);
  for (int32_t offset : {kInstPanAssignment, kInstVolumeAssignment}) {
    Handle h = RecordHandle(record, offset);
    WriteU32BE(image + offset, !plugin && IsLive(h) ? h.id : 0);
  }
  for (int32_t offset : {kInstPanAssignment, kInstVolumeAssignment, kInstInsertRack})
    WriteU32BE(image + offset + kAlternate, 0);
}

struct RecordPresence {
  bool plugin = false;
  bool pan = false;
  bool volume = false;
};

RecordPresence TakeRecordPresence(uint8_t* record) {
  RecordPresence p;
  p.plugin = HasInstrumentPluginRecords(GetDocumentInputVersion()) && SlotHasBlock(record + kInstInsertRack, true);
  p.pan = !p.plugin && SlotHasBlock(record + kInstPanAssignment, true);
  p.volume = !p.plugin && SlotHasBlock(record + kInstVolumeAssignment, true);
  for (int32_t offset : {kInstPanAssignment, kInstVolumeAssignment, kInstInsertRack})
    std::memset(record + offset, 0, 8);
  std::memset(record + kInstDriverProcs, 0, kDriverProcBytes);
  WriteU16BE(record + kInstMeterLevel, 0);
  WriteU16BE(record + kMeterWord124, 0);
  return p;
}

}  // namespace

OSErr WriteInstrumentPluginData(const uint8_t* record) {
  if (GetLastFileError() != noErr) return GetLastFileError();
  if (Handle plugin = WrittenPluginRecord(record)) return WritePluginRecordHandles(plugin);
  Handle pan = RecordHandle(record, kInstPanAssignment);
  Handle volume = RecordHandle(record, kInstVolumeAssignment);
  if (IsLive(pan)) WriteHandleWithSize(pan);
  if (GetLastFileError() == noErr && IsLive(volume)) WriteHandleWithSize(volume);
  return GetLastFileError();
}

OSErr WriteInstrumentTable() {
  Handle table = gInstrumentTable;
  if (!IsLive(table)) {
    uint8_t zero[4] = {0, 0, 0, 0};
    return WriteBlock(zero, 4);
  }
  Size size = GetHandleSize(table) / kInstrumentSize * kInstrumentSize;
  const uint8_t* records = reinterpret_cast<const uint8_t*>(HandleData(table));
  std::vector<uint8_t> image(records, records + size);
  for (Size at = 0; at < size; at += kInstrumentSize) MakeStoredRecordImage(&image[size_t(at)], records + at);
  uint8_t prefix[4];
  WriteU32BE(prefix, uint32_t(size));
  WriteBlock(prefix, 4);
  if (GetLastFileError() == noErr && size > 0) WriteBlock(image.data(), uint32_t(size));
  for (Size at = 0; at < size && GetLastFileError() == noErr; at += kInstrumentSize)
    WriteInstrumentPluginData(records + at);
  return GetLastFileError();
}

OSErr ReadStoredInstrumentTable(Handle* out) {
  *out = Handle();
  uint32_t n = 0;
  if (ReadDocumentU32(&n) != noErr || n == 0) return GetDocumentInputError();
  Handle table;
  if (ReadDocumentHandle(n, &table) != noErr) return GetDocumentInputError();
  if (WidenOldInstrumentTable(table, GetDocumentInputVersion()) != noErr) {
    DisposeHandle(table);
    return FailDocumentInput(memFullErr);
  }
  int32_t count = 0, aux = 0;
  if (CountInstrumentTable(table, &count, &aux) != noErr) {
    DisposeHandle(table);
    return FailDocumentInput(kDocumentDamagedErr);
  }
  HLock(table);
  uint8_t* records = reinterpret_cast<uint8_t*>(HandleData(table));
  int32_t total = count + aux + 1;
  std::vector<RecordPresence> presence(static_cast<size_t>(total));
  for (int32_t i = 0; i < total; ++i) presence[size_t(i)] = TakeRecordPresence(records + i * kInstrumentSize);
  for (int32_t i = 0; i < total && GetDocumentInputError() == noErr; ++i) {
    uint8_t* record = records + i * kInstrumentSize;
    const RecordPresence& p = presence[size_t(i)];
    if (p.plugin) {
      ReadPluginRecord(record + kInstInsertRack, true, kInstrumentRecordKind);
      continue;
    }
    ReadPresentBlock(record + kInstPanAssignment, p.pan);
    ReadPresentBlock(record + kInstVolumeAssignment, p.volume);
  }
  HUnlock(table);
  if (GetDocumentInputError() != noErr) {
    DisposeStoredInstrumentTable(table);
    return GetDocumentInputError();
  }
  *out = table;
  return noErr;
}

void DisposeStoredInstrumentTable(Handle table) {
  if (!IsLive(table)) return;
  uint8_t* records = reinterpret_cast<uint8_t*>(HandleData(table));
  for (Size at = 0; at + kInstrumentSize <= GetHandleSize(table); at += kInstrumentSize) {
    uint8_t* record = records + at;
    DisposePluginRecord(RecordHandle(record, kInstInsertRack));
    WriteU32BE(record + kInstInsertRack, 0);
    for (int32_t offset : {kInstPanAssignment, kInstVolumeAssignment}) {
      Handle h = RecordHandle(record, offset);
      WriteU32BE(record + offset, 0);
      if (IsLive(h)) DisposeHandle(h);
    }
  }
  DisposeHandle(table);
}

void ReleaseInstrumentPluginBlocks() {
  if (!IsLive(gInstrumentTable)) return;
  uint8_t* records = reinterpret_cast<uint8_t*>(HandleData(gInstrumentTable));
  for (Size at = 0; at + kInstrumentSize <= GetHandleSize(gInstrumentTable); at += kInstrumentSize)
    DisposePluginRecordHandles(RecordHandle(records + at, kInstInsertRack));
}

void InstallInstrumentTable(Handle table) {
  ReleaseInstrumentPluginBlocks();
  DisposeInstrumentTable();
  gInstrumentTable = table;
  gInstrumentCount = 0;
  gAuxBusCount = 0;
  if (!table) {
    gInstruments = nullptr;
    RebuildInstrumentState();
    return;
  }
  RecountInstrumentTable();
  RefreshInstrumentTablePointer();
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (record) ResolveInstrumentParts(record, record[kInstPartMask]);
  }
  // The link bytes of a stored table are not trusted: the chains come from the group numbers.
  RebuildLinkGroups();
  RebuildInstrumentState();
}
