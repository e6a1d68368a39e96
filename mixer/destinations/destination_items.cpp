#include "mixer/destinations/destination_items.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/menu_building.h"
#include "shell/windows/redraw_requests.h"
#include "song/instruments/instrument_table.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"

DestinationRoutes gDestinationRoutes;

namespace {

constexpr int32_t kKindTextBase = 20;
constexpr int16_t kInstrumentText = 24;

void AppendNumber(StringPtr out, int32_t n) {
  Str255 digits;
  NumToString(n, digits);
  AppendPString(out, digits);
}

// Marks the window for the idle pass's redraw and brings it to the front.
void ShowTargetWindow(int16_t kind) {
  gPendingWindowRefresh |= 1u << kind;
  BringWindowToFront(kind);
}

void ShowMixer(int32_t kind, int32_t item, int32_t slot) {
  if (auto show = gDestinationRoutes.setMixerSelection) show(kind, item, slot);
  ShowTargetWindow(kMixerKind);
}

void GoToTrack(int32_t number, int32_t slot) {
  SelectTrackNumber(number);
  SelectCurrentTrackOnly(false);
  if (auto show = gDestinationRoutes.setMixerSelection) show(1, number, slot);
  if (auto refresh = gDestinationRoutes.refreshTrackList) refresh();
  ShowTargetWindow(kTrackWindowKind);
}

void GoToInstrument(int32_t index) {
  if (auto show = gDestinationRoutes.showInstrumentStrip) show(index);
  ShowTargetWindow(kInstrumentWindowKindId);
}

}  // namespace

int32_t CountDestinationItems(Handle items) {
  if (!items) return 0;
  return GetHandleSize(items) / kDestinationItemSize;
}

uint8_t* GetDestinationItem(Handle items, int32_t item) {
  if (item < 1 || item > CountDestinationItems(items)) return nullptr;
  return reinterpret_cast<uint8_t*>(*items) + (item - 1) * kDestinationItemSize;
}

int32_t GetDestinationKind(const uint8_t* record) { return ReadI32BE(record + kDestItemKind); }
int32_t GetDestinationIndex(const uint8_t* record) { return ReadI32BE(record + kDestItemIndex); }
int32_t GetDestinationExtra(const uint8_t* record) { return ReadI32BE(record + kDestItemExtra); }

void BuildDestinationLabel(StringPtr out, int32_t kind, int32_t index, ConstStr255Param name) {
  Str255 second = {0};
  if (kind == kDestAuxBus && index >= gAuxBusCount) {
    kind = kDestAuxBusRebased;
    index -= gAuxBusCount;
  } else if (kind == kDestTrack) {
    index &= 0xFF;
  } else if (kind == kDestInstrumentInsert) {
    GetIndString(second, kDestinationTextList, kInstrumentText);
    kind = kDestTrackInsert;
  }
  GetIndString(out, kDestinationTextList, int16_t(kind + kKindTextBase));
  if (second[0] != 0) {
    AppendPChar(out, ':');
    AppendPString(out, second);
  }
  AppendNumber(out, index + 1);
  AppendPChar(out, ':');
  if (name) AppendPString(out, name);
}

Handle AppendDestinationItem(Handle items, MenuRef menu, int32_t kind, int32_t index,
                             ConstStr255Param name, int32_t extra) {
  if (!items) {
    items = NewHandle(0);
    if (!items) return items;
  }
  Size old = GetHandleSize(items);
  SetHandleSize(items, old + kDestinationItemSize);
  if (MemError() != noErr || GetHandleSize(items) != old + kDestinationItemSize) return items;
  uint8_t* record = reinterpret_cast<uint8_t*>(*items) + old;
  std::memset(record, 0, kDestinationItemSize);
  if (name) CopyPString(name, record + kDestItemName, kDestItemNameMax);
  WriteI32BE(record + kDestItemIndex, index);
  WriteI32BE(record + kDestItemKind, kind);
  WriteI32BE(record + kDestItemExtra, extra);
  if (menu) {
    Str255 label;
    BuildDestinationLabel(label, kind, index, name);
    AppendMenuItemLiteral(menu, label);
  }
  return items;
}

void GoToDestinationItem(Handle items, int32_t item) {
  const uint8_t* record = GetDestinationItem(items, item);
  if (!record) return;
  int32_t kind = GetDestinationKind(record);
  int32_t index = GetDestinationIndex(record);
  int32_t extra = GetDestinationExtra(record);
  AppWindow* front = GetFrontAppWindow();
  bool fromStrips = front && front->kind == kInstrumentWindowKindId;
  switch (kind) {
    case kDestTrack: GoToTrack(index & 0xFF, extra); break;
    case kDestAuxBus: ShowMixer(2, index + 1, extra); break;
    case kDestAuxBusRebased: ShowMixer(2, index + gAuxBusCount + 1, extra); break;
    case kDestTrackInsert: ShowMixer(1, index & 0xFF, extra); break;
    case kDestInstrumentInsert: ShowMixer(4, index, extra); break;
    case kDestInstrument: GoToInstrument(index); return;
    case kDestClickOutput:
      if (auto open = gDestinationRoutes.openClickSettingsWindow) open();
      break;
    case kDestJukebox:
      if (auto show = gDestinationRoutes.showJukeboxWindow) show();
      ShowTargetWindow(kJukeboxKind);
      break;
    default: return;
  }
  if (fromStrips) {
    if (auto clear = gDestinationRoutes.clearStripSelection) clear();
    gPendingWindowRefresh |= 1u << kInstrumentWindowKindId;
  }
}
