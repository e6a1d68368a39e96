// 'DLOG', 'ALRT' and 'DITL' resources: reading their big-endian images.
//
// 'DLOG': 0 Rect bounds (global content), 8 i16 procID, 10 u8 visible, 11 filler, 12 u8 goAway,
//   13 filler, 14 i32 refCon, 18 i16 'DITL' id, 20 Pascal title; then, at the next even offset,
//   an optional u16 position (0x300A alert position, 0x700A centre, on the main screen).
// 'ALRT': 0 Rect bounds, 8 i16 'DITL' id, 10 u16 stages, 12 optional u16 position. Stage n
//   (counting from 1) is the nibble at bits 4(n-1)..4n-1: bit 3 makes item 2 the default
//   (else item 1), bit 2 shows the alert, bits 0-1 the number of beeps.
// 'DITL': 0 i16 item count minus one, then each item: u32 reserved, Rect, u8 type (itemDisable
//   added when disabled), u8 data length, the data, and a pad byte when the length is odd.
//   Buttons, check boxes, radio buttons, static and edit text carry their text; 'CNTL',
//   icon ('cicn') and picture ('PICT') items a 2-byte resource id; user items nothing.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/memory/mac_types.h"

struct DialogTemplate {
  Rect bounds;
  SInt16 procID = 0;
  bool visible = false;
  bool goAway = false;
  SInt32 refCon = 0;
  SInt16 itemsID = 0;
  std::string title;  // Mac Roman
  UInt16 position = 0;
};

struct AlertTemplate {
  Rect bounds;
  SInt16 itemsID = 0;
  UInt16 stages = 0;
  UInt16 position = 0;
};

struct DialogItemTemplate {
  SInt16 type = 0;   // with itemDisable when disabled
  Rect rect;
  std::string text;  // Mac Roman text of text-bearing items
  SInt16 resourceID = 0;
};

// One item for an item list built in memory.
inline DialogItemTemplate MakeDialogItem(SInt16 type, Rect rect, std::string text = "", SInt16 resourceID = 0) {
  return DialogItemTemplate{type, rect, std::move(text), resourceID};
}

// Most items an item list may hold.
constexpr size_t kMaxDialogItems = 1024;

enum : UInt16 {
  kDialogPositionNone = 0,
  kDialogPositionAlertMainScreen = 0x300A,
  kDialogPositionCenterMainScreen = 0x700A,
};

// Each returns false for an image too short for its fields, a text that runs past the end,
// an unknown item type, a resource-id item whose data is not 2 bytes, or more than
// kMaxDialogItems items.
bool ParseDialogTemplate(const UInt8* bytes, size_t size, DialogTemplate* out);
bool ParseAlertTemplate(const UInt8* bytes, size_t size, AlertTemplate* out);
bool ParseDialogItemList(const UInt8* bytes, size_t size, std::vector<DialogItemTemplate>* out);
// The 'DITL' image of items (for tests and for building item lists in memory).
std::string BuildDialogItemList(const std::vector<DialogItemTemplate>& items);
