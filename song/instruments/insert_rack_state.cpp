#include "song/instruments/insert_rack_state.h"

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/iteration_abort.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_input.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/plugin_records.h"

namespace {

constexpr int32_t kOldRecordInsertAt = 44;
constexpr int32_t kOldRecordInsertBytes = 64;
constexpr int32_t kOldHeaderInsertBytes = 96;
constexpr int32_t kRecordHandles[3] = {kRackPluginAlias, kRackPluginBankAlias, kRackPluginPresetRecord};
constexpr int32_t kNoMessages = -1;

uint8_t* Bytes(Handle h) { return reinterpret_cast<uint8_t*>(*h); }

// The length of a record whose fixed part is `fixed` bytes, or -1 when it runs past `left`.
int64_t RecordLength(const uint8_t* record, int64_t left, int32_t fixed) {
  if (left < fixed) return -1;
  int64_t length = fixed + 4 * int64_t(ReadU32BE(record + kRackPluginParameters)) +
                   int64_t(ReadU32BE(record + kRackPluginStateLength));
  return length <= left ? length : -1;
}

// Counts the records of a block whose header and fixed record parts have these sizes; false
// when a record does not fit the block.
bool WalkRecords(Handle state, int32_t header, int32_t fixed, int32_t* count) {
  Size size = GetHandleSize(state);
  uint32_t stated = size >= header ? ReadU32BE(Bytes(state) + kRackStateCount) : 0;
  int64_t at = header;
  *count = 0;
  for (uint32_t n = 0; n < stated; ++n) {
    int64_t length = RecordLength(Bytes(state) + at, size - at, fixed);
    if (length < 0) return false;
    ++*count;
    at += length;
  }
  return size >= header;
}

OSErr InsertZeros(Handle h, int32_t at, int32_t bytes) {
  Size size = GetHandleSize(h);
  if (SetHandleSizeWithReserve(h, size + bytes) != noErr) return memFullErr;
  std::memmove(Bytes(h) + at + bytes, Bytes(h) + at, size_t(size - at));
  std::memset(Bytes(h) + at, 0, size_t(bytes));
  return noErr;
}

// Versions below 2: every record gains 64 zero bytes at its offset 44.
OSErr WidenOldRecords(Handle state) {
  int32_t count = 0;
  if (!WalkRecords(state, kRackStateOldHeaderBytes, kOldRecordInsertAt, &count))
    return paramErr;
  int32_t at = kRackStateOldHeaderBytes;
  for (int32_t n = 0; n < count; ++n) {
    int64_t length = RecordLength(Bytes(state) + at, GetHandleSize(state) - at, kOldRecordInsertAt);
    if (InsertZeros(state, at + kOldRecordInsertAt, kOldRecordInsertBytes) != noErr) return memFullErr;
    at += int32_t(length) + kOldRecordInsertBytes;
  }
  return noErr;
}

// Versions below 3: the header gains 96 bytes at 44 and its one output bus.
OSErr WidenOldHeader(Handle state) {
  if (GetHandleSize(state) < kRackStateOldHeaderBytes) return paramErr;
  if (InsertZeros(state, kRackStateRoutingFirst, kOldHeaderInsertBytes) != noErr) return memFullErr;
  uint8_t* h = Bytes(state);
  WriteU32BE(h + kRackStateOutputConfig, 1);
  h[kRackStateRoutingFirst] = h[kRackStateOldRouting];
  h[kRackStateRoutingSecond] = h[kRackStateOldRouting + 1];
  h[kRackStateRoutingThird] = h[kRackStateOldRouting + 2];
  h[kRackStateBusCount] = 1;
  return noErr;
}

void MoveOldHandleWords(uint8_t* record) {
  WriteU32BE(record + kRackPluginAlias, ReadU32BE(record + kRackPluginOldAlias));
  WriteU32BE(record + kRackPluginBankAlias, ReadU32BE(record + kRackPluginOldBankAlias));
  WriteU32BE(record + kRackPluginOldAlias, 0);
  WriteU32BE(record + kRackPluginOldBankAlias, 0);
}

void FixMidiMasks(uint8_t* record, uint32_t version) {
  if (version < 1) WriteI16BE(record + kRackPluginMidiKinds, kNoMessages);
  if (version < 2) WriteI16BE(record + kRackPluginMidiChannels, kNoMessages);
  if (ReadI16BE(record + kRackPluginMidiKinds) == kNoMessages) {
    std::memset(record + kRackPluginMidiFilter, 0xFF, 16);
    WriteI16BE(record + kRackPluginMidiChannels, kNoMessages);
  }
}

// Reads the blocks each record names into the record's handle words (a word of 0: none).
// Every word is cleared before the first block is read, so that a failure part way leaves
// only handles this read made for the state's disposal, never a word taken from the file.
OSErr ReadRecordBlocks(Handle state, uint32_t version) {
  std::vector<uint8_t> present;
  for (int32_t n = 0, at; (at = GetRackStateRecord(state, n)) >= 0; ++n) {
    if (version < 4) MoveOldHandleWords(Bytes(state) + at);
    for (int32_t word : kRecordHandles) {
      present.push_back(ReadU32BE(Bytes(state) + at + word) != 0);
      WriteU32BE(Bytes(state) + at + word, 0);
    }
    FixMidiMasks(Bytes(state) + at, version);
  }
  size_t next = 0;
  for (int32_t n = 0, at; (at = GetRackStateRecord(state, n)) >= 0; ++n) {
    for (int32_t word : kRecordHandles) {
      Handle block;
      if (present[next++] && ReadSizedDocumentHandle(&block) != noErr) return GetDocumentInputError();
      WriteU32BE(Bytes(state) + at + word, block.id);
    }
  }
  return noErr;
}

OSErr UpgradeRackState(Handle state, uint32_t version) {
  // A state of a later form than this program knows is refused rather than misread.
  if (version > kRackStateVersion) return paramErr;
  OSErr err = noErr;
  if (version < 2) err = WidenOldRecords(state);
  if (err == noErr && version < 3) err = WidenOldHeader(state);
  int32_t count = 0;
  if (err == noErr &&
      !WalkRecords(state, kRackStateHeaderBytes, kRackStateRecordBytes, &count))
    err = paramErr;
  return err;
}

}  // namespace

int32_t GetRackStateRecord(Handle state, int32_t n) {
  if (!state || n < 0) return -1;
  Size size = GetHandleSize(state);
  if (size < kRackStateHeaderBytes) return -1;
  uint32_t stated = ReadU32BE(Bytes(state) + kRackStateCount);
  int64_t at = kRackStateHeaderBytes;
  for (uint32_t i = 0; i < stated; ++i) {
    int64_t length = RecordLength(Bytes(state) + at, size - at, kRackStateRecordBytes);
    if (length < 0) return -1;
    if (int32_t(i) == n) return int32_t(at);
    at += length;
  }
  return -1;
}

int32_t CountRackStateRecords(Handle state) {
  int32_t count = 0;
  while (GetRackStateRecord(state, count) >= 0) ++count;
  return count;
}

Handle SaveInsertRackState(Handle rackRecord) {
  auto save = gInstrumentPluginHooks.saveInsertRackState;
  return save ? save(rackRecord) : Handle();
}

OSErr WriteInsertRackState(Handle state) {
  if (!state) return GetLastFileError();
  if (GetHandleSize(state) >= kRackStateHeaderBytes)
    WriteU32BE(Bytes(state) + kRackStateVersionAt, kRackStateVersion);
  if (WriteHandleWithSize(state) != noErr) return GetLastFileError();
  for (int32_t n = 0, at; (at = GetRackStateRecord(state, n)) >= 0; ++n) {
    for (int32_t word : kRecordHandles) {
      Handle block(ReadU32BE(Bytes(state) + at + word));
      if (block && WriteHandleWithSize(block) != noErr) return GetLastFileError();
    }
  }
  return GetLastFileError();
}

OSErr ReadInsertRackState(Handle* cell) {
  *cell = Handle();
  Handle state;
  if (ReadSizedDocumentHandle(&state) != noErr) return GetDocumentInputError();
  // A block too short for a header holds no plug-ins: it is kept as it was read.
  if (GetHandleSize(state) < kRackStateOldHeaderBytes) {
    *cell = state;
    return noErr;
  }
  uint32_t version = ReadU32BE(Bytes(state) + kRackStateVersionAt);
  OSErr err = UpgradeRackState(state, version);
  if (err == noErr) err = ReadRecordBlocks(state, version);
  if (err != noErr) {
    DisposeInsertRackState(&state);
    gIterationAbort = 1;
    return FailDocumentInput(err == paramErr ? kBadPluginRecordErr : err);
  }
  WriteU32BE(Bytes(state) + kRackStateVersionAt, kRackStateVersion);
  *cell = state;
  return noErr;
}

void DisposeInsertRackState(Handle* cell) {
  Handle state = *cell;
  *cell = Handle();
  if (!state || !IsValidHandle(state)) return;
  for (int32_t n = 0, at; (at = GetRackStateRecord(state, n)) >= 0; ++n) {
    for (int32_t word : kRecordHandles) {
      Handle block(ReadU32BE(Bytes(state) + at + word));
      if (block && IsValidHandle(block)) DisposeHandle(block);
      WriteU32BE(Bytes(state) + at + word, 0);
    }
  }
  DisposeHandle(state);
}

OSErr DuplicateInsertRackState(Handle state, Handle* copy) {
  *copy = Handle();
  if (!state || !IsValidHandle(state)) return noErr;
  Handle dup;
  OSErr err = DuplicateHandleWithReserve(state, &dup);
  if (err != noErr) return err;
  // The copy first names no block, so that a failure half-way disposes only its own.
  for (int32_t n = 0, at; (at = GetRackStateRecord(dup, n)) >= 0; ++n)
    for (int32_t word : kRecordHandles) WriteU32BE(Bytes(dup) + at + word, 0);
  for (int32_t n = 0, at; err == noErr && (at = GetRackStateRecord(state, n)) >= 0; ++n) {
    for (int32_t word : kRecordHandles) {
      Handle block(ReadU32BE(Bytes(state) + at + word));
      if (!block || !IsValidHandle(block)) continue;
      Handle twin;
      err = DuplicateHandleWithReserve(block, &twin);
      if (err != noErr) break;
      WriteU32BE(Bytes(dup) + at + word, twin.id);
    }
  }
  if (err != noErr) {
    DisposeInsertRackState(&dup);
    return err;
  }
  *copy = dup;
  return noErr;
}

OSErr ApplyInsertRackState(Handle rack, Handle state) {
  auto apply = gInstrumentPluginHooks.applyInsertRackState;
  return apply ? apply(rack, state) : OSErr(unimpErr);
}
