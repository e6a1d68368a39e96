#include "song/instruments/plugin_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_input.h"
#include "song/documents/old_document_forms.h"
#include "song/instruments/insert_rack_state.h"
#include "song/instruments/rack_automation_fields.h"

namespace {

constexpr uint8_t kRackFlagChainList = 0x20;
constexpr int32_t kRackChainCellWord = 4;
constexpr int32_t kTailRecordSize = 16;
constexpr int32_t kTailRecordUsedByte = 12;
constexpr uint32_t kTailEndMark = 0xFFFFFFFF;
constexpr int32_t kKindTwo = 2;
constexpr uint16_t kLastWithoutTailBlock = 888;
constexpr uint16_t kFirstFullTrackRecord = 880;
constexpr int32_t kMissingBytesAt = 48;
constexpr int32_t kMissingBytes = 22;
constexpr int32_t kPluginRecordFixedRate = 82;  // u32 of an instrument's record
constexpr double kPluginRateFactor = 65536.0;
constexpr uint16_t kLastFixedRateVersion = 1343;

// The six handle slots of the record, and which of them take an alternate word.
constexpr int32_t kSlotOffsets[6] = {110, 118, 126, 134, 142, 150};

void MoveU32(std::vector<uint8_t>& out, const uint8_t* old, int32_t from, int32_t to) {
  WriteU32BE(&out[size_t(to)], ReadU32BE(old + from));
}

// Drops the trailing 16-byte records whose byte +12 is 0, except the first of them, which
// becomes the end record. A block that is not whole records is cut to whole records first.
void TrimTailBlock(Handle block) {
  Size count = GetHandleSize(block) / kTailRecordSize;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(block));
  Size first = count;
  while (first > 0 && p[(first - 1) * kTailRecordSize + kTailRecordUsedByte] == 0) --first;
  if (first < count) {
    WriteU32BE(p + first * kTailRecordSize, kTailEndMark);
    count = first + 1;
  }
  SetHandleSize(block, count * kTailRecordSize);
}

// The main record of a track in files below 880 lacks 22 bytes at +48; they come back as zeros.
OSErr InsertMissingTrackRecordBytes(Handle record, uint16_t version) {
  Size size = GetHandleSize(record);
  if (version >= kFirstFullTrackRecord || size < kMissingBytesAt) return noErr;
  if (SetHandleSizeWithReserve(record, size + kMissingBytes) != noErr) return memFullErr;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(record));
  std::memmove(p + kMissingBytesAt + kMissingBytes, p + kMissingBytesAt, size_t(size - kMissingBytesAt));
  std::memset(p + kMissingBytesAt, 0, kMissingBytes);
  return noErr;
}

// An instrument's record keeps its rate twice: the float +32 and the 16.16 fixed-point u32
// +82. A missing fixed rate is made from the float; files up to 1343 kept the fixed one as
// the true rate, so the float is made from it (a zero fixed rate leaves the float).
void SetInstrumentRatePair(uint8_t* p, uint16_t version) {
  if (ReadU32BE(p + kPluginRecordFixedRate) == 0) {
    double fixed = double(ReadF32BE(p + kPluginRecordRate)) * kPluginRateFactor;
    WriteU32BE(p + kPluginRecordFixedRate, uint32_t(std::clamp(fixed, 0.0, 4294967295.0)));
  }
  uint32_t fixed = ReadU32BE(p + kPluginRecordFixedRate);
  if (version <= kLastFixedRateVersion && fixed != 0)
    WriteF32BE(p + kPluginRecordRate, float(double(fixed) / kPluginRateFactor));
}

// The rack state's slot: cleared, then the state read into it when one follows.
void ReadRackStateSlot(uint8_t* slot, bool present) {
  std::memset(slot, 0, 8);
  Handle state;
  if (present && ReadInsertRackState(&state) == noErr) WriteU32BE(slot, state.id);
}

}  // namespace

bool IsReadablePluginRecordSize(Size size) {
  return size == kPluginRecordBytes || size == kPluginRecordOldSize || size == kPluginRecordOldSize2;
}

OSErr WidenOldPluginRecord(Handle record, int32_t kind) {
  Size size = GetHandleSize(record);
  if (size != kPluginRecordOldSize && size != kPluginRecordOldSize2) return noErr;
  const uint8_t* old = reinterpret_cast<const uint8_t*>(HandleData(record));
  std::vector<uint8_t> out(kPluginRecordBytes, 0);
  std::memcpy(out.data(), old, size_t(size));
  std::memcpy(&out[70], old + 4, 12);
  if (kind == kInstrumentRecordKind) {
    MoveU32(out, old, 16, 82);
    MoveU32(out, old, 20, 86);
  } else {
    WriteU16BE(&out[82], ReadU16BE(old + 16));
    WriteU16BE(&out[84], ReadU16BE(old + 18));
    MoveU32(out, old, 20, 86);
    MoveU32(out, old, 24, 94);
    MoveU32(out, old, 28, 102);
  }
  for (int32_t i = 0; i < 6; ++i) MoveU32(out, old, 40 + 4 * i, kSlotOffsets[i]);
  std::memset(&out[40], 0, 24);
  OSErr err = SetHandleSizeWithReserve(record, kPluginRecordBytes);
  if (err != noErr) return err;
  std::memcpy(HandleData(record), out.data(), out.size());
  return noErr;
}

void UpgradeInstrumentPluginRecord(Handle record, int32_t kind, uint16_t version) {
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(record));
  float rate = ReadF32BE(p + kPluginRecordRate);
  if (!std::isfinite(rate) || rate <= 0.0f) WriteF32BE(p + kPluginRecordRate, kDefaultPluginRate);
  if (kind == kInstrumentRecordKind) SetInstrumentRatePair(p, version);
  WriteU32BE(p + 118, 0);
  WriteU32BE(p + kRackEngineChannel, 0);
  p[kPluginRecordFlags] &= uint8_t(~(kPluginFlag40 | kPluginFlagRackPending));
  // No plug-in is live in a record just read: its chain cell names nothing.
  p[0] &= uint8_t(~kRackFlagChainList);
  WriteU32BE(p + kRackChainCellWord, 0);
  if (kind == kKindTwo) {
    WriteU32BE(p + 86, 0);
    WriteU32BE(p + 94, 0);
  }
}

OSErr ReadPluginRecord(uint8_t* slot, bool present, int32_t kind, bool trackMainRecord) {
  std::memset(slot, 0, 8);
  if (!present) return GetDocumentInputError();
  Handle record;
  if (ReadSizedDocumentHandle(&record) != noErr) return GetDocumentInputError();
  uint16_t version = GetDocumentInputVersion();
  OSErr err = trackMainRecord ? InsertMissingTrackRecordBytes(record, version) : OSErr(noErr);
  if (err == noErr) err = WidenOldPluginRecord(record, kind);
  if (err == noErr && GetHandleSize(record) != kPluginRecordBytes) err = kBadPluginRecordErr;
  if (err != noErr) {
    DisposeHandle(record);
    return FailDocumentInput(err);
  }
  HLock(record);
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(record));
  bool regions1 = SlotHasBlock(p + 110, true);
  bool regions2 = SlotHasBlock(p + kPluginRecordRegions, true);
  bool rackState = SlotHasBlock(p + kPluginRecordRackState, false);
  // Files up to 888 keep no block +150.
  bool tail = version > kLastWithoutTailBlock && SlotHasBlock(p + kPluginRecordTail, true);
  std::memset(p + kPluginRecordSlotsStart, 0, kPluginRecordBytes - kPluginRecordSlotsStart);
  UpgradeInstrumentPluginRecord(record, kind, version);
  ReadPresentBlock(p + 110, regions1);
  ReadPresentBlock(p + kPluginRecordRegions, regions2);
  Handle regions(ReadU32BE(p + kPluginRecordRegions));
  if (WidenOldRegionList(regions, GetDocumentInputVersion()) != noErr) FailDocumentInput(memFullErr);
  ReadRackStateSlot(p + kPluginRecordRackState, rackState);
  ReadPresentBlock(p + kPluginRecordTail, tail);
  err = GetDocumentInputError();
  if (err == noErr && ReadU32BE(p + kPluginRecordTail) != 0)
    TrimTailBlock(Handle(ReadU32BE(p + kPluginRecordTail)));
  if (ReadU32BE(p + kPluginRecordRackState) != 0) p[kPluginRecordFlags] |= kPluginFlagRackPending;
  HUnlock(record);
  if (err != noErr) {
    DisposePluginRecord(record);
    return err;
  }
  WriteU32BE(slot, record.id);
  return noErr;
}

void DisposePluginRecordHandles(Handle record) {
  if (!record || !IsValidHandle(record) || GetHandleSize(record) < kPluginRecordBytes) return;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(record));
  bool statePending = (p[kPluginRecordFlags] & kPluginFlagRackPending) != 0;
  for (int32_t offset : kSlotOffsets) {
    if (offset == kPluginRecordRackState && !statePending) continue;
    if (offset == kPluginRecordRackState) {
      Handle state(ReadU32BE(p + offset));
      WriteU32BE(p + offset, 0);
      if (state && IsValidHandle(state)) DisposeInsertRackState(&state);
      continue;
    }
    // +142 is the id of the engine channel that plays the rack, not a block.
    if (offset == kRackEngineChannel) continue;
    Handle h(ReadU32BE(p + offset));
    WriteU32BE(p + offset, 0);
    if (h && IsValidHandle(h)) DisposeHandle(h);
  }
  p[kPluginRecordFlags] &= uint8_t(~kPluginFlagRackPending);
}

void DisposePluginRecord(Handle record) {
  if (!record || !IsValidHandle(record)) return;
  DisposePluginRecordHandles(record);
  DisposeHandle(record);
}
