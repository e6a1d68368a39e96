#include "song/prefs/preferences_assignments.h"

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/checked_blocks.h"
#include "song/documents/document_input.h"
#include "song/instruments/instrument_assignments.h"

namespace {

constexpr int32_t kHandleFields[3] = {kAssignmentPatchNames, kAssignmentBankMessages,
                                      kAssignmentControllerNames};
// Words older records kept their handles and output halves in; spare in today's record.
constexpr int32_t kOldPatchNames = 0;
constexpr int32_t kOldOutputLow = 8;
constexpr int32_t kOldBankMessages = 46;
constexpr int32_t kOldOutputHigh = 60;
constexpr int32_t kOldControllerNames = 80;
constexpr int32_t kPatchNamesAlternate = 96;
constexpr uint32_t kMaxAssignmentBlock = 1u << 20;

int32_t CountRecords(Handle table) {
  return table && IsValidHandle(table) ? int32_t(GetHandleSize(table) / kAssignmentSize) : 0;
}

uint8_t* RecordAt(Handle table, int32_t i) {
  return reinterpret_cast<uint8_t*>(*table) + size_t(i) * kAssignmentSize;
}

// Records of 64 bytes become 128 bytes, each moved to its new place, the upper half zeroed.
OSErr WidenRecords(Handle table) {
  int32_t count = int32_t(GetHandleSize(table) / kOldAssignmentSize);
  SetHandleSize(table, Size(count) * kAssignmentSize);
  if (MemError() != noErr) return MemError();
  uint8_t* p = reinterpret_cast<uint8_t*>(*table);
  for (int32_t i = count - 1; i >= 0; --i) {
    std::memmove(p + size_t(i) * kAssignmentSize, p + size_t(i) * kOldAssignmentSize, kOldAssignmentSize);
    std::memset(p + size_t(i) * kAssignmentSize + kOldAssignmentSize, 0, kOldAssignmentSize);
  }
  return noErr;
}

void MoveWordIfSet(uint8_t* record, int32_t from, int32_t to) {
  uint32_t word = ReadU32BE(record + from);
  if (!word) return;
  WriteU32BE(record + to, word);
  WriteU32BE(record + from, 0);
}

// The older places of a record's words move to today's; then the three presence words are
// taken out of the record, so that it holds no handle word from the file.
void TakePresenceWords(uint8_t* record, uint32_t presence[3]) {
  MoveWordIfSet(record, kOldPatchNames, kAssignmentPatchNames);
  uint16_t low = ReadU16BE(record + kOldOutputLow);
  if (low) {
    WriteU32BE(record + kAssignmentOutputId, (uint32_t(ReadU16BE(record + kOldOutputHigh)) << 16) | low);
    WriteU16BE(record + kOldOutputLow, 0);
    WriteU16BE(record + kOldOutputHigh, 0);
  }
  MoveWordIfSet(record, kOldBankMessages, kAssignmentBankMessages);
  MoveWordIfSet(record, kOldControllerNames, kAssignmentControllerNames);
  presence[0] = ReadU32BE(record + kAssignmentPatchNames);
  if (!presence[0]) presence[0] = ReadU32BE(record + kPatchNamesAlternate);
  presence[1] = ReadU32BE(record + kAssignmentBankMessages);
  presence[2] = ReadU32BE(record + kAssignmentControllerNames);
  WriteU32BE(record + kPatchNamesAlternate, 0);
  for (int32_t field : kHandleFields) WriteU32BE(record + field, 0);
}

OSErr ReadRecordBlocks(Handle table, const std::vector<uint32_t>& presence) {
  for (int32_t i = 0; i < CountRecords(table); ++i) {
    for (int32_t k = 0; k < 3; ++k) {
      Handle block;
      OSErr err = ReadBoundedPresentBlock(presence[size_t(3 * i + k)], &block, kMaxAssignmentBlock);
      if (err != noErr) return err;
      WriteU32BE(RecordAt(table, i) + kHandleFields[k], block.id);
    }
  }
  return noErr;
}

// The table as it is written: the spare words that older readers move are cleared, so a
// reader never mistakes them for handles.
Handle CopyForWriting(Handle table) {
  Handle copy = table;
  if (HandToHand(&copy) != noErr) return Handle();
  for (int32_t i = 0; i < CountRecords(copy); ++i) {
    uint8_t* r = RecordAt(copy, i);
    for (int32_t field : {kOldPatchNames, kOldBankMessages, kOldControllerNames}) WriteU32BE(r + field, 0);
    WriteU16BE(r + kOldOutputLow, 0);
  }
  return copy;
}

}  // namespace

OSErr WriteAssignmentSection() {
  Handle table = gInstrumentAssignments;
  if (!table || !IsValidHandle(table)) {
    uint8_t empty[4] = {0, 0, 0, 0};  // the section is always there
    WriteBlock(empty, 4);
    return GetLastFileError();
  }
  Handle copy = CopyForWriting(table);
  if (!copy) return memFullErr;
  OSErr err = WriteHandleWithSize(copy);
  DisposeHandle(copy);
  for (int32_t i = 0; i < CountRecords(table) && err == noErr; ++i) {
    for (int32_t field : kHandleFields) {
      if (err != noErr) break;
      Handle h(ReadU32BE(RecordAt(table, i) + field));
      if (h && !IsValidHandle(h)) h = Handle();
      if (h) {
        err = WriteHandleWithSize(h);
      } else if (ReadU32BE(RecordAt(table, i) + field)) {
        uint8_t empty[4] = {0, 0, 0, 0};  // a stale word still announces a block
        WriteBlock(empty, 4);
        err = GetLastFileError();
      }
    }
  }
  return err;
}

OSErr ReadAssignmentSection(uint16_t version, Handle* table) {
  *table = Handle();
  if (version < kFirstSizedAssignmentVersion) return paramErr;
  int32_t recordSize = version < kWideAssignmentVersion ? kOldAssignmentSize : kAssignmentSize;
  Handle t;
  OSErr err = ReadBoundedBlock(&t, uint32_t(kMaxAssignments * recordSize));
  if (err != noErr) return err;
  if (GetHandleSize(t) % recordSize != 0) err = kMalformedBlockErr;
  if (err == noErr && recordSize != kAssignmentSize) err = WidenRecords(t);
  if (err != noErr) {
    FailDocumentInput(err);
    DisposeBlock(&t);
    return err;
  }
  std::vector<uint32_t> presence(size_t(3 * CountRecords(t)));
  for (int32_t i = 0; i < CountRecords(t); ++i) TakePresenceWords(RecordAt(t, i), &presence[size_t(3 * i)]);
  err = ReadRecordBlocks(t, presence);
  if (err != noErr) {
    DisposeAssignmentTableBlock(&t);
    return err;
  }
  if (GetHandleSize(t) == 0) DisposeBlock(&t);
  *table = t;
  return noErr;
}

void DisposeAssignmentTableBlock(Handle* table) {
  if (!*table || !IsValidHandle(*table)) {
    *table = Handle();
    return;
  }
  for (int32_t i = 0; i < CountRecords(*table); ++i) {
    for (int32_t field : kHandleFields) {
      Handle h(ReadU32BE(RecordAt(*table, i) + field));
      DisposeBlock(&h);
      WriteU32BE(RecordAt(*table, i) + field, 0);
    }
  }
  DisposeBlock(table);
}

void ReplaceAssignmentTable(Handle table) {
  if (!table) return;
  DisposeAssignmentTableBlock(&gInstrumentAssignments);
  gInstrumentAssignments = table;
}
