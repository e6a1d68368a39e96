#include "song/documents/document_file.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/media_references.h"
#include "song/prefs/window_layout.h"

uint16_t gSongFileVersion = kSongFileVersion;
uint8_t gSongFileHeader[kSongFileHeaderSize];
FSSpec gCurrentDocumentSpec;

namespace {

// The pane table a layout block names in its slot (608-byte blocks only).
void DisposeLayoutPaneTable(Handle layout) {
  if (GetHandleSize(layout) < kLayoutBlockSize) return;
  Handle panes(ReadU32BE(HandleData(layout) + kLayoutPaneTable));
  WriteU32BE(HandleData(layout) + kLayoutPaneTable, 0);
  if (panes && IsValidHandle(panes)) DisposeHandle(panes);
}

}  // namespace

uint8_t* DocumentSlotCell(uint8_t* header, int32_t k) {
  if (k < 0 || k >= kDocumentSlotCount) return nullptr;
  return header + kFileHeaderSlots + kHandleSlotSize * k;
}

Handle GetDocumentSlot(int32_t k) {
  uint8_t* cell = DocumentSlotCell(gSongFileHeader, k);
  return cell ? Handle(ReadU32BE(cell)) : Handle();
}

void SetDocumentSlot(int32_t k, Handle h) {
  uint8_t* cell = DocumentSlotCell(gSongFileHeader, k);
  if (!cell) return;
  WriteU32BE(cell, h.id);
  WriteU32BE(cell + 4, 0);
}

void DisposeDocumentSlot(uint8_t* header, int32_t k) {
  uint8_t* cell = DocumentSlotCell(header, k);
  if (!cell) return;
  Handle h(ReadU32BE(cell));
  std::memset(cell, 0, kHandleSlotSize);
  if (!h || !IsValidHandle(h)) return;
  if (k == kWindowLayoutSlot) DisposeLayoutPaneTable(h);
  if (k == kReferencedFilesSlot) DisposeReferencedFileTable(h);
  DisposeHandle(h);
}

void DisposeDocumentBlock() { DisposeDocumentSlot(gSongFileHeader, kDocumentBlockSlot); }

void DisposeDocumentHandles(uint8_t* header) {
  for (int32_t k = 0; k < kDocumentSlotCount; ++k) DisposeDocumentSlot(header, k);
}

bool IsDocumentNamed() { return gCurrentDocumentSpec.name[0] != 0; }

void MarkDocumentUntitled() { gCurrentDocumentSpec.name[0] = 0; }
