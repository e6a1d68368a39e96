// The colour icons and icon families of the applied appearance style.
//
// An icon family is an 'icns' resource registered under the program's creator and a type
// ('TRK0', 'TRK1', 'TRK2'). Its bounds come from the mask of its 32 x 32 'ICN#' element,
// scaled to the size asked for. 'icns' layout (big-endian): 'icns', u32 total length, then
// elements {u32 type, u32 length including these 8 bytes, data}; 'ICN#' data is 128 bytes of
// one-bit image then 128 bytes of mask, 4 bytes a row.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr OSType kStyleIconCreator = FourCC("VOZu");
constexpr int32_t kStyleIconSlots = 6;
constexpr int32_t kStyleIconFamilyCount = 3;

struct IconFamilyRecord {
  Handle family = nullptr;  // the registered copy of the 'icns' data
  OSType type = 0;
  Rect bounds{};
};

extern CIconHandle gStyleIcons[kStyleIconSlots];
extern IconFamilyRecord gStyleIconFamilies[kStyleIconFamilyCount];

// Loads the six colour icons and the three icon families named by the style block; a
// missing resource leaves its slot empty.
void LoadStyleIcons();
void DisposeStyleIcons();
// Registers 'icns' id under (creator, type) in *record; with withRegion the bounds are those
// of the icon's mask at size x size, else cleared. resNotFound for a missing resource, the
// bad-format result (-206) for a malformed one; the record is left empty then.
OSErr RegisterIconFromResource(int16_t id, OSType type, IconFamilyRecord* record, int16_t size, bool withRegion);
void ReleaseIconRecord(IconFamilyRecord* record);
// The registered family of that type, or null.
Handle FindRegisteredIconFamily(OSType type);
