#include "audio/regions/region_lists.h"

#include <algorithm>

#include "audio/engine/region_lookup.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/media_references.h"
#include "song/model/handle_bytes.h"

namespace {

int64_t BytesPerFrame(const uint8_t* region) { return region[kRegionBytesPerFrameAt]; }

void SetFrames(uint8_t* region, int64_t frames) {
  SetRegionLength(region, frames);
  WriteU32BE(region + kRegionShortLengthAt, uint32_t(std::min<int64_t>(frames, UINT32_MAX)));
}

// The region loses its first `frames` frames: it starts that much later in its file.
void DropRegionFront(uint8_t* region, int64_t frames) {
  int64_t length = RegionLength(region);
  if (length != kOpenRegionEnd) SetFrames(region, std::max<int64_t>(length - frames, 0));
  if (!IsSilentRegion(region)) {
    int64_t bytes = frames * BytesPerFrame(region);
    WriteU32BE(region + kRegionFileOffsetAt, uint32_t(ReadU32BE(region + kRegionFileOffsetAt) + bytes));
    WriteU32BE(region + kRegionByteLengthAt, uint32_t(std::max<int64_t>(ReadU32BE(region + kRegionByteLengthAt) - bytes, 0)));
  }
  uint32_t available = ReadU32BE(region + kRegionAvailableAt);
  WriteU32BE(region + kRegionAvailableAt, uint32_t(std::max<int64_t>(int64_t(available) - frames, 0)));
}

// The region keeps its first `frames` frames.
void KeepRegionFront(uint8_t* region, int64_t frames, bool alsoAvailable) {
  InitRegionLength(region, region[kRegionBytesPerFrameAt], frames, alsoAvailable);
}

void MakeSilent(uint8_t* region, int64_t frames) {
  WriteU16BE(region + kRegionFlagsAt, uint16_t(RegionFlags(region) | kRegionFlagSilent));
  WriteU32BE(region + kRegionFileOffsetAt, 0);
  InitRegionLength(region, region[kRegionBytesPerFrameAt], frames, false);
}

// A copy of a record for an edit: the copy never shares the block its source holds in memory.
void CopyForEdit(const uint8_t* source, uint8_t* destination) {
  CopyRegion(source, destination);
  WriteU16BE(destination + kRegionFlagsAt, uint16_t(RegionFlags(destination) & ~kRegionFlagInMemory));
  WriteU32BE(destination + kRegionMemoryBlockAt, 0);
  WriteU32BE(destination + kRegionAliasAt, 0);
}

// The index of the region that starts at position, making the border there; -1 on failure.
int32_t BorderIndexAt(Handle list, int64_t position, int32_t step, OSErr* err) {
  int64_t start = 0, end = 0;
  int32_t index = FindRegionAtPosition(position, &start, &end, list);
  if (index < 0) return CountAudioRegions(list);
  if (position == start) return index;
  *err = SplitRegionAtIndex(list, index, position - start, step);
  return *err == noErr ? index + 1 : -1;
}

// Appends a silent copy of the last record (a zeroed one for an empty list) of `frames`.
OSErr AppendSilence(Handle list, int64_t frames) {
  int32_t count = CountAudioRegions(list);
  OSErr err = InsertRegionRecords(list, count, 1);
  if (err != noErr) return err;
  uint8_t* region = RegionRecord(list, count);
  if (count > 0) CopyForEdit(RegionRecord(list, count - 1), region);
  WriteU16BE(region + kRegionFlagsAt, uint16_t(RegionFlags(region) & ~kRegionFlagSelected));
  MakeSilent(region, frames);
  return noErr;
}

// The number of silent records for `frames` of silence.
int32_t SilentRecordsFor(int64_t frames) {
  return frames <= kMaxSilentRegion ? 1 : int32_t(1 + frames / kMaxSilentRegion);
}

// Records [first, first + n) become silence of `frames` in all, each at most 0x3FFFFFFF.
void FillSilence(Handle list, int32_t first, int32_t n, int64_t frames) {
  for (int32_t k = 0; k < n; ++k) {
    int64_t part = k + 1 < n ? kMaxSilentRegion : frames - kMaxSilentRegion * (n - 1);
    MakeSilent(RegionRecord(list, first + k), part);
  }
}

}  // namespace

OSErr InsertRegionRecords(Handle list, int32_t index, int32_t count) {
  if (count <= 0) return noErr;
  return InsertHandleBytes(list, index * kRegionSize, count * kRegionSize, true);
}

void DeleteRegionRecords(Handle list, int32_t first, int32_t end) {
  if (end > first) DeleteHandleBytes(list, first * kRegionSize, (end - first) * kRegionSize);
}

void InitRegionLength(uint8_t* region, int32_t bytesPerFrame, int64_t frames, bool alsoAvailable) {
  if (frames == 0) WriteU16BE(region + kRegionFlagsAt, uint16_t(RegionFlags(region) | kRegionFlagSilent));
  bool silent = IsSilentRegion(region);
  WriteU32BE(region + kRegionByteLengthAt, silent ? 0 : uint32_t(frames * bytesPerFrame));
  SetFrames(region, frames);
  if (alsoAvailable) WriteU32BE(region + kRegionAvailableAt, uint32_t(std::min<int64_t>(frames, UINT32_MAX)));
}

void CopyRegion(const uint8_t* source, uint8_t* destination) {
  BlockMoveData(source, destination, kRegionSize);
  WriteU16BE(destination + kRegionFlagsAt, uint16_t(RegionFlags(destination) | kRegionFlagCopy));
}

void ClampRegionToFile(uint8_t* region) {
  const uint8_t* entry = GetReferencedFileEntry(ReadU16BE(region + kRegionFileIndexAt));
  int64_t bytesPerFrame = BytesPerFrame(region);
  if (!entry || bytesPerFrame == 0 || IsSilentRegion(region)) return;
  int64_t skipped = (int64_t(ReadU32BE(region + kRegionFileOffsetAt)) - ReadU32BE(entry + kRefDataOffset)) / bytesPerFrame;
  int64_t left = std::max<int64_t>(int64_t(ReadU32BE(entry + kRefFrameCount)) - std::max<int64_t>(skipped, 0), 0);
  if (ReadU32BE(region + kRegionAvailableAt) > left) WriteU32BE(region + kRegionAvailableAt, uint32_t(left));
}

void SelectRegion(Handle list, int32_t index) {
  int32_t count = CountAudioRegions(list);
  if (index < 0) index = count - 1;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* region = RegionRecord(list, i);
    uint16_t flags = RegionFlags(region) & ~(kRegionFlagSelected | kRegionFlagSelectMark);
    WriteU16BE(region + kRegionFlagsAt, uint16_t(i == index ? flags | kRegionFlagSelected : flags));
  }
}

void ClearRegionMarks(Handle list) {
  for (int32_t i = 0, count = CountAudioRegions(list); i < count; ++i) {
    uint8_t* region = RegionRecord(list, i);
    WriteI32BE(region + kRegionStepAt, 1);
    WriteU16BE(region + kRegionFlagsAt, uint16_t(RegionFlags(region) & ~kRegionFlagSelected));
  }
}

void RegionSpan(Handle list, int32_t index, int64_t* start, int64_t* end) {
  int64_t position = 0;
  for (int32_t i = 0; i < index; ++i) position += RegionLength(RegionRecord(list, i));
  *start = position;
  *end = position + RegionLength(RegionRecord(list, index));
}

int64_t RegionListEnd(Handle list) {
  int64_t position = 0;
  for (int32_t i = 0, count = CountAudioRegions(list); i < count; ++i) {
    int64_t length = RegionLength(RegionRecord(list, i));
    if (length >= kOpenRegionEnd - position) return kOpenRegionEnd;
    position += length;
  }
  return position;
}

OSErr SplitRegionAtIndex(Handle list, int32_t index, int64_t frames, int32_t step) {
  OSErr err = InsertRegionRecords(list, index + 1, 1);
  if (err != noErr) return err;
  uint8_t* first = RegionRecord(list, index);
  uint8_t* second = first + kRegionSize;
  CopyForEdit(first, second);
  KeepRegionFront(first, frames, false);
  WriteI32BE(first + kRegionStepAt, step);
  DropRegionFront(second, frames);
  return noErr;
}

OSErr SplitRegionAt(Handle list, int64_t a, int64_t b) {
  OSErr err = noErr;
  int64_t listEnd = RegionListEnd(list);
  if (a >= listEnd && (err = AppendSilence(list, a + 1 - listEnd)) != noErr) return err;
  int32_t atA = BorderIndexAt(list, a, 1, &err);
  if (atA < 0) return err;
  listEnd = RegionListEnd(list);
  if (b >= listEnd && (err = AppendSilence(list, b + 1 - listEnd)) != noErr) return err;
  int64_t start = 0, end = 0;
  int32_t atB = FindRegionAtPosition(b, &start, &end, list);
  if (b == start) {
    if (atB > 0) WriteI32BE(RegionRecord(list, atB - 1) + kRegionStepAt, atA - (atB - 1));
  } else if ((err = SplitRegionAtIndex(list, atB, b - start, atA - atB)) != noErr) {
    return err;
  }
  SelectRegion(list, -1);
  return noErr;
}

OSErr InsertSilence(Handle list, int64_t position, int64_t end) {
  int64_t start = 0, regionEnd = 0;
  int32_t index = FindRegionAtPosition(position, &start, &regionEnd, list);
  if (index < 0 || end <= position) return noErr;
  int64_t silence = end - position;
  int32_t n = 1 + SilentRecordsFor(silence);
  OSErr err = InsertRegionRecords(list, index + 1, n);
  if (err != noErr) return err;
  for (int32_t k = 1; k <= n; ++k) CopyForEdit(RegionRecord(list, index), RegionRecord(list, index + k));
  DropRegionFront(RegionRecord(list, index + n), position - start);
  KeepRegionFront(RegionRecord(list, index), position - start, false);
  FillSilence(list, index + 1, n - 1, silence);
  return noErr;
}

OSErr SetRegionRange(Handle list, int64_t start, int64_t end, bool* remove, bool alsoAvailable) {
  if (start > end) return paramErr;
  int64_t sStart = 0, sEnd = 0, eStart = 0, eEnd = 0;
  int32_t atStart = FindRegionAtPosition(start, &sStart, &sEnd, list);
  if (atStart < 0) {
    *remove = true;
    return noErr;
  }
  int32_t atEnd = FindRegionAtPosition(end, &eStart, &eEnd, list);
  if (atEnd < 0) atEnd = CountAudioRegions(list), eStart = end;
  int32_t copies = *remove ? 0 : 1;
  if (atEnd == atStart) copies = *remove ? 1 : 2;
  else DeleteRegionRecords(list, atStart + 1, atEnd);
  OSErr err = InsertRegionRecords(list, atStart + 1, copies);
  if (err != noErr) return err;
  for (int32_t k = 1; k <= copies; ++k) CopyForEdit(RegionRecord(list, atStart), RegionRecord(list, atStart + k));
  int32_t rest = atStart + 1 + (*remove ? 0 : 1);
  if (rest < CountAudioRegions(list) && eStart < end) DropRegionFront(RegionRecord(list, rest), end - eStart);
  if (!*remove) FillSilence(list, atStart + 1, 1, end - start);
  KeepRegionFront(RegionRecord(list, atStart), start - sStart, alsoAvailable);
  return noErr;
}

Handle CopyRegionList(Handle list) {
  Handle copy = list;
  if (!list || HandToHand(&copy) != noErr) return Handle();
  for (int32_t i = 0, n = CountAudioRegions(copy); i < n; ++i) CopyForEdit(RegionRecord(list, i), RegionRecord(copy, i));
  return copy;
}
