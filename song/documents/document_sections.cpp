#include "song/documents/document_sections.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_input.h"
#include "song/documents/media_references.h"
#include "song/documents/old_document_forms.h"
#include "song/prefs/window_layout.h"

namespace {

// Slots whose alternate word also says that a block follows.
bool TakesAlternate(int32_t k) {
  return k == kArpeggiatorSlot || k == kDocumentBlockSlot || k == kPortTableSlot ||
         k == kAudioEngineSlot || k == kPortNamesSlot || k == kFileAliasSlot ||
         k == kPromptAliasSlot || k == kReferencedFilesSlot;
}

bool IsLive(Handle h) { return h && IsValidHandle(h); }

uint8_t* Slot(uint8_t* header, int32_t k) { return DocumentSlotCell(header, k); }

// The layout block and its pane table (the extra block behind it), read by the window layout's
// own reader; the table's handle is kept in the block's slot +600.
void ReadWindowLayout(uint8_t* header, bool present) {
  if (!present) return;
  Handle layout, panes;
  if (ReadLayoutSection(&layout, &panes) != noErr) return;
  WriteU32BE(HandleData(layout) + kLayoutPaneTable, panes.id);
  WriteU32BE(Slot(header, kWindowLayoutSlot), layout.id);
}

void WriteWindowLayout(Handle layout) {
  Handle panes(ReadU32BE(HandleData(layout) + kLayoutPaneTable));
  if (!IsLive(panes)) panes = Handle();
  WriteLayoutSection(layout, panes);
  WriteU32BE(HandleData(layout) + kLayoutPaneTable, panes.id);
}

// The handle of slot k that a save writes (a port-name list that lies is left out).
Handle WrittenSlot(int32_t k) {
  Handle h = GetDocumentSlot(k);
  if (!IsLive(h)) return Handle();
  if (k == kPortNamesSlot && !IsPortNameListValid(h)) return Handle();
  if (k == kWindowLayoutSlot && GetHandleSize(h) < kLayoutBlockSize) return Handle();
  return h;
}

void WriteSlot(int32_t k) {
  if (GetLastFileError() != noErr) return;
  if (Handle h = WrittenSlot(k)) WriteHandleWithSize(h);
}

}  // namespace

void TakeDocumentSlotPresence(uint8_t* header, bool present[kDocumentSlotCount]) {
  for (int32_t k = 0; k < kDocumentSlotCount; ++k) {
    present[k] = SlotHasBlock(Slot(header, k), TakesAlternate(k));
    std::memset(Slot(header, k), 0, kHandleSlotSize);
  }
}

OSErr ReadDocumentSections(uint8_t* header, const bool present[kDocumentSlotCount]) {
  ReadWindowLayout(header, present[kWindowLayoutSlot]);
  ReadPresentBlock(Slot(header, kArpeggiatorSlot), present[kArpeggiatorSlot]);
  ReadPresentBlock(Slot(header, kDocumentBlockSlot), present[kDocumentBlockSlot]);
  ReadPresentBlock(Slot(header, kPortTableSlot), present[kPortTableSlot]);
  if (Handle table = Handle(ReadU32BE(Slot(header, kPortTableSlot)))) PreparePortTable(table, header);
  ReadPresentBlock(Slot(header, kAudioEngineSlot), present[kAudioEngineSlot]);
  ReadPresentBlock(Slot(header, kPortNamesSlot), present[kPortNamesSlot]);
  Handle names(ReadU32BE(Slot(header, kPortNamesSlot)));
  if (names && !IsPortNameListValid(names)) return FailDocumentInput(kDocumentDamagedErr);
  ReadPresentBlock(Slot(header, kNotepadSlot), present[kNotepadSlot]);
  if (HasNotepadTrailer(GetDocumentInputVersion())) SkipSizedDocumentBlock();
  ReadPresentBlock(Slot(header, kRemoteControlSlot), present[kRemoteControlSlot]);
  ReadPresentBlock(Slot(header, kFileAliasSlot), present[kFileAliasSlot]);
  ReadPresentBlock(Slot(header, kPromptAliasSlot), present[kPromptAliasSlot]);
  ReadPresentBlock(Slot(header, kDeviceTableSlot), present[kDeviceTableSlot]);
  Handle devices(ReadU32BE(Slot(header, kDeviceTableSlot)));
  if (WidenOldDeviceTable(devices, GetDocumentInputVersion()) != noErr) return FailDocumentInput(memFullErr);
  return GetDocumentInputError();
}

OSErr WriteDocumentSections() {
  if (Handle layout = WrittenSlot(kWindowLayoutSlot)) WriteWindowLayout(layout);
  for (int32_t k : {kArpeggiatorSlot, kDocumentBlockSlot, kPortTableSlot, kAudioEngineSlot,
                    kPortNamesSlot, kNotepadSlot})
    WriteSlot(k);
  uint8_t empty[4] = {0, 0, 0, 0};  // the block that follows the notepad text
  if (GetLastFileError() == noErr) WriteBlock(empty, 4);
  for (int32_t k : {kRemoteControlSlot, kFileAliasSlot, kPromptAliasSlot, kDeviceTableSlot}) WriteSlot(k);
  return GetLastFileError();
}

void MakeStoredHeaderImage(uint8_t* image) {
  std::memcpy(image, gSongFileHeader, kSongFileHeaderSize);
  CaptureDocumentHeaderSettings(image);
  for (int32_t k = 0; k < kDocumentSlotCount; ++k) {
    uint8_t* cell = Slot(image, k);
    WriteU32BE(cell, WrittenSlot(k).id);
    WriteU32BE(cell + 4, 0);
  }
}

void PreparePortTable(Handle table, uint8_t* header) {
  Size entries = std::min<Size>(GetHandleSize(table) / kPortTableEntrySize, kPortTableMaxEntries);
  SetHandleSize(table, entries * kPortTableEntrySize);
  if (entries < kPortTableMinEntries &&
      SetHandleSizeWithReserve(table, kPortTableMinEntries * kPortTableEntrySize) == noErr) {
    std::memset(HandleData(table) + entries * kPortTableEntrySize, 0,
                size_t((kPortTableMinEntries - entries) * kPortTableEntrySize));
    entries = kPortTableMinEntries;
  }
  header[kFileHeaderPortCount] = uint8_t(entries);
}

bool IsPortNameListValid(Handle list) {
  Size size = GetHandleSize(list);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  if (size < 2) return false;
  Size at = 2;
  for (uint16_t i = 0; i < ReadU16BE(p); ++i) {
    if (at >= size || at + 1 + p[at] > size) return false;
    at += 1 + p[at];
  }
  return true;
}
