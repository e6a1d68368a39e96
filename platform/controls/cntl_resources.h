// 'CNTL' resources: the template GetNewControl makes a control from.
//
// Layout (big-endian): 0 Rect bounds (top, left, bottom, right), 8 i16 value, 10 u8 visible,
// 11 u8 fill, 12 i16 maximum, 14 i16 minimum, 16 i16 procID, 18 i32 refCon, 22 Pascal title.
// What value, minimum and maximum mean depends on the definition:
//   pop-up buttons (400, 1008): value = title style, minimum = 'MENU' id, maximum = title width;
//   bevel buttons (32-47): value = 'MENU' id (0: none), minimum = behaviour (high byte) and
//     content type (low byte), maximum = content resource id;
//   user panes (256): value = features; pictures (304, 305) and icons (320, 321): value =
//     'PICT' or 'cicn' id; static and edit text: the title is the text.
#pragma once

#include <string>

#include "platform/controls/controls.h"

struct ControlTemplate {
  Rect bounds;
  SInt16 value = 0;
  bool visible = true;
  SInt16 maximum = 0;
  SInt16 minimum = 0;
  SInt16 procID = 0;
  SInt32 refCon = 0;
  std::string title;  // Mac Roman
};

constexpr size_t kControlTemplateFixedSize = 22;

// Reads a template; false when the bytes are too short for the fields or the title.
bool ParseControlTemplate(const UInt8* bytes, size_t size, ControlTemplate* out);
