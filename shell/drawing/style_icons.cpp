#include "shell/drawing/style_icons.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/icons.h"
#include "platform/quickdraw/regions.h"
#include "platform/resources/resource_manager.h"
#include "shell/windows/window_appearance.h"

CIconHandle gStyleIcons[kStyleIconSlots] = {};
IconFamilyRecord gStyleIconFamilies[kStyleIconFamilyCount] = {};

namespace {

constexpr ResType kIconFamilyType = FourCC("icns");
constexpr OSType kIcon32Element = FourCC("ICN#");
constexpr int32_t kIcon32Side = 32;
constexpr int32_t kIcon32Bytes = 256;
constexpr OSErr kBadIconFamily = -206;
constexpr OSType kFamilyTypes[kStyleIconFamilyCount] = {FourCC("TRK0"), FourCC("TRK1"), FourCC("TRK2")};

// The registered families: one per type, all under the program's creator.
IconFamilyRecord* gRegistered[kStyleIconFamilyCount] = {};

// The offset of the 32 x 32 element's data, 0 when there is none; -1 for a malformed family.
int32_t FindIcon32(const char* p, int32_t size) {
  if (size < 8 || ReadU32BE(p) != kIconFamilyType) return -1;
  int32_t total = int32_t(ReadU32BE(p + 4));
  if (total < 8 || total > size) return -1;
  for (int32_t at = 8; at + 8 <= total;) {
    int32_t length = int32_t(ReadU32BE(p + at + 4));
    if (length < 8 || length > total - at) return -1;
    if (ReadU32BE(p + at) == kIcon32Element) return length - 8 >= kIcon32Bytes ? at + 8 : -1;
    at += length;
  }
  return 0;
}

// The mask's bounds scaled from 32 x 32 to size x size; empty for an empty mask.
void MaskBounds(const char* mask, int16_t size, Rect* bounds) {
  BitMap bits;
  bits.baseAddr = const_cast<char*>(mask);
  bits.rowBytes = kIcon32Side / 8;
  bits.bounds = Rect{0, 0, kIcon32Side, kIcon32Side};
  RgnHandle rgn = NewRgn();
  *bounds = Rect{};
  if (!rgn) return;
  if (BitMapToRegion(rgn, &bits) == noErr) {
    Rect from{0, 0, kIcon32Side, kIcon32Side}, to{0, 0, size, size};
    MapRgn(rgn, &from, &to);
    GetRegionBounds(rgn, bounds);
  }
  DisposeRgn(rgn);
}

int32_t RegistryIndex(OSType type) {
  for (int32_t i = 0; i < kStyleIconFamilyCount; ++i)
    if (kFamilyTypes[i] == type) return i;
  return -1;
}

void LoadIconSlot(int32_t slot, int16_t id) {
  gStyleIcons[slot] = id ? GetCIcon(id) : nullptr;
}

}  // namespace

OSErr RegisterIconFromResource(int16_t id, OSType type, IconFamilyRecord* record, int16_t size, bool withRegion) {
  ReleaseIconRecord(record);
  Handle res = GetResource(kIconFamilyType, id);
  if (!res) return resNotFound;
  int32_t icon32 = FindIcon32(*res, int32_t(GetHandleSize(res)));
  Handle copy = nullptr;
  HLock(res);
  if (icon32 >= 0) PtrToHand(*res, &copy, GetHandleSize(res));
  HUnlock(res);
  ReleaseResource(res);
  if (icon32 < 0) return kBadIconFamily;
  if (!copy) return memFullErr;
  record->family = copy;
  record->type = type;
  record->bounds = Rect{};
  if (withRegion && size > 0 && icon32) MaskBounds(*copy + icon32 + kIcon32Bytes / 2, size, &record->bounds);
  else if (withRegion && size > 0) record->bounds = Rect{0, 0, size, size};
  int32_t index = RegistryIndex(type);
  if (index >= 0) gRegistered[index] = record;
  return noErr;
}

void ReleaseIconRecord(IconFamilyRecord* record) {
  if (!record) return;
  int32_t index = RegistryIndex(record->type);
  if (index >= 0 && gRegistered[index] == record) gRegistered[index] = nullptr;
  if (record->family) DisposeHandle(record->family);
  *record = IconFamilyRecord{};
}

Handle FindRegisteredIconFamily(OSType type) {
  int32_t index = RegistryIndex(type);
  return index >= 0 && gRegistered[index] ? gRegistered[index]->family : nullptr;
}

void DisposeStyleIcons() {
  for (CIconHandle& icon : gStyleIcons) {
    if (icon) DisposeCIcon(icon);
    icon = nullptr;
  }
  for (IconFamilyRecord& record : gStyleIconFamilies) ReleaseIconRecord(&record);
}

void LoadStyleIcons() {
  DisposeStyleIcons();
  int16_t pair = GetStyleWord(kStyleTrackIconPair);
  LoadIconSlot(0, pair);
  LoadIconSlot(1, pair ? int16_t(pair + 1) : 0);
  LoadIconSlot(2, GetStyleWord(kStyleTrackIcon));
  LoadIconSlot(3, GetStyleWord(kStyleButtonIcon));
  LoadIconSlot(4, GetStyleWord(kStyleExtraIcon));
  LoadIconSlot(5, GetStyleWord(kStyleOptionalIcon));
  int16_t family = GetStyleWord(kStyleIconFamilies);
  if (!family) return;
  for (int32_t i = 0; i < kStyleIconFamilyCount; ++i)
    RegisterIconFromResource(int16_t(family + i), kFamilyTypes[i], &gStyleIconFamilies[i], 16, true);
}
