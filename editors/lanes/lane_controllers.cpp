#include "editors/lanes/lane_controllers.h"

#include <algorithm>
#include <cstring>

#include "editing/event_filters.h"
#include "editing/transforms/note_value_fields.h"
#include "editors/automation/automation_points.h"
#include "editors/automation/rack_focus.h"
#include "editors/lanes/lane_drawing.h"
#include "editors/lanes/lane_scale.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/sys_beep.h"
#include "platform/text/pascal_strings.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "shell/base/app_strings.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

Handle gControllerNameList;
Handle gDefaultControllerNameList;
uint8_t gFavouriteControllers[16] = {};

namespace {

constexpr int16_t kUnnamedControllerText = 43;  // item 44 of the general texts
constexpr int16_t kLaneTextsStrList = 155;
constexpr int16_t kUnnamedParameterText = 14;
constexpr int32_t kSpecialEntries = 4;  // -4..-1 in the parameter lane
constexpr uint32_t kPopUpRows = 25;
constexpr int32_t kRowsBeforeFitting = 75;
constexpr int32_t kControllerCount = 128;
constexpr int32_t kMaxParameterName = 64;
constexpr short kBeepTicks = 5;
constexpr int32_t kNothingChosen = -5;

// The shared name buffer: at most 31 characters.
Str31 gControllerName;

bool TestBit(const uint8_t* mask, int32_t n) { return (mask[n >> 3] >> (n & 7)) & 1; }
void SetBit(uint8_t* mask, int32_t n) { mask[n >> 3] |= uint8_t(1 << (n & 7)); }

// Entry n of a list in the layout of a string list (i16 count, then packed names); empty
// when the list holds none.
void ReadListEntry(Handle list, int32_t n, StringPtr out, int maxLength) {
  out[0] = 0;
  if (!list || n < 0) return;
  const auto* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  Size size = GetHandleSize(list);
  if (size < 2 || n >= int16_t(ReadU16BE(p))) return;
  Size at = 2;
  for (int32_t i = 0; i < n && at < size; ++i) at += 1 + p[at];
  if (at >= size || at + 1 + p[at] > size) return;
  CopyPString(p + at, out, maxLength);
}

PluginInstance* FocusedPlugin() {
  Handle rack = GetFocusedPluginHandle();
  return rack ? GetChainPlugin(GetRackChainHead(rack), kPanePluginIndex) : nullptr;
}

int32_t FocusedParameterCount() {
  PluginInstance* plugin = FocusedPlugin();
  return plugin ? int32_t(plugin->parameterCount) : 0;
}

// Bit entry + 4 for every parameter entry with points in the pane plug-in's list.
void GetAutomatedEntries(std::vector<uint8_t>* mask, int32_t entries) {
  mask->assign(size_t((entries + 7) / 8 + 1), 0);
  Handle list = GetReferencedPointList(GetFocusedAutomationListRef());
  int32_t count = list ? PointListEndIndex(list) : 0;
  for (int32_t i = 0; i < count; ++i) {
    AutomationView point{PointRecordAt(list, i)};
    if (point.Kind() != kAutomationParameter || point.PluginIndex() != kPanePluginIndex) continue;
    int32_t entry = point.Index() + kSpecialEntries;
    if (entry >= 0 && entry < entries) SetBit(mask->data(), entry);
  }
}

// The pop-up's corner on the screen, taken while the caller's port is current: building the
// pop-up makes the pop-up window's port current.
Point GlobalCorner(Point where) {
  LocalToGlobal(&where);
  return where;
}

bool ShowPopUpBelow(Point at, int32_t current) {
  return PopUpMenuAtPoint(at.v, at.h, std::max<int32_t>(current, 0)) != 0 && gPopUpChoice >= 0;
}

int32_t RunBusPopUp(int32_t current, Point where) {
  Point at = GlobalCorner(where);
  BeginPopUpMenu();
  gPopUp.rowsPerColumn = kPopUpRows;
  for (int32_t bus = 0; bus < gAuxBusCount; ++bus) AddPopUpItem(GetInstrumentDefaultName(bus));
  if (current >= 0 && current < gAuxBusCount) MarkPopUpItem(current);
  return ShowPopUpBelow(at, current) ? gPopUpChoice : kNothingChosen;
}

int32_t RunParameterPopUp(int32_t current, Point where) {
  int32_t entries = kSpecialEntries + FocusedParameterCount();
  std::vector<uint8_t> automated;
  GetAutomatedEntries(&automated, entries);
  Point at = GlobalCorner(where);
  BeginPopUpMenu();
  gPopUp.rowsPerColumn = kPopUpRows;
  for (int32_t entry = 0; entry < entries; ++entry) {
    Str255 name;
    CopyPString(GetLaneParameterName(entry - kSpecialEntries), name, 253);
    if (TestBit(automated.data(), entry)) {
      AppendPChar(name, ' ');
      AppendPChar(name, '*');
    }
    AddPopUpItem(name);
  }
  if (entries - kSpecialEntries > kRowsBeforeFitting) FitPopUpToScreen(entries);
  int32_t row = current + kSpecialEntries;
  if (row >= 0 && row < entries) MarkPopUpItem(row);
  return ShowPopUpBelow(at, row) ? gPopUpChoice - kSpecialEntries : kNothingChosen;
}

int32_t RunControllerPopUp(int32_t current, bool listAll, Point where) {
  uint8_t used[16];
  GetUsedControllers(used);
  Point at = GlobalCorner(where);
  std::vector<int32_t> rows;
  BeginPopUpMenu();
  gPopUp.rowsPerColumn = kPopUpRows;
  for (int32_t n = 0; n < kControllerCount; ++n) {
    bool listed = listAll || TestBit(gFavouriteControllers, n) || TestBit(used, n) || n == current;
    if (!listed) continue;
    Str255 name;
    ReadListEntry(gControllerNameList, n, name, 250);
    if (name[0] == 0) NumToString(n, name);
    if (TestBit(used, n)) AppendPChar(name, '*');
    AddPopUpItem(name);
    if (n == current) MarkPopUpItem(int32_t(rows.size()));
    rows.push_back(n);
  }
  auto mark = std::find(rows.begin(), rows.end(), current);
  if (!ShowPopUpBelow(at, int32_t(mark - rows.begin())) || size_t(gPopUpChoice) >= rows.size()) return kNothingChosen;
  return rows[size_t(gPopUpChoice)];
}

void ChangeLaneKey(int32_t value) { gFilterPolyKey = uint8_t(std::clamp<int32_t>(value, 0, 127)); }

}  // namespace

StringPtr GetControllerName(int32_t n) {
  ReadListEntry(gControllerNameList, n, gControllerName, 31);
  if (n >= 0 && n < kControllerCount && gControllerName[0] == 0) {
    Str255 text;
    CopyPString(GetAppString(kUnnamedControllerText), text, 255);
    Str31 number;
    NumToString(n, number);
    AppendPString(text, number);
    CopyPString(text, gControllerName, 31);
  }
  return gControllerName;
}

void SelectLaneController(int32_t n) {
  if (n != gLaneController) {
    // Interim: the instrument assignments carry no name lists yet, so the default list is
    // the list in use.
    gControllerNameList = gDefaultControllerNameList;
    GetControllerName(n);
  }
  gLaneController = n;
  if (gCurrentPaneIndex >= 0 && gCurrentPaneIndex < gEditorPaneCount)
    gEditorPanes[gCurrentPaneIndex].lane = int16_t(n);
}

void StoreTrackLaneController(int32_t n) {
  if (!gCurrentSong || !HasValidCurrentTrack() || gCurrentTrack == gTrackTemplate) return;
  WriteU16BE(gCurrentTrack + kTrackLaneController, uint16_t(n));
}

StringPtr GetLaneParameterName(int32_t index) {
  static Str255 name;
  name[0] = 0;
  if (index >= 0) {
    if (PluginInstance* plugin = FocusedPlugin()) {
      char text[kMaxParameterName + 1] = {};
      GetParameterName(plugin, index, text, sizeof text);
      CopyCStringToPascal(text, name);
    }
  } else if (index >= -kSpecialEntries) {
    GetIndString(name, kLaneTextsStrList, int16_t(index + 20));
  }
  if (name[0] == 0) {
    GetIndString(name, kLaneTextsStrList, kUnnamedParameterText);
    Str31 number;
    NumToString(index, number);
    AppendPString(name, number);
  }
  return name;
}

void GetUsedControllers(uint8_t mask[16]) {
  std::memset(mask, 0, 16);
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* end = p + GetHandleSize(list);
  for (uint8_t* e = p; e < end && SeqEventTime(e) != 0;) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(end - e));
    if (length == 0) break;
    if (SeqEventKind(e) == kKindController) SetBit(mask, e[kEventData1] & 127);
    e += length;
  }
}

int32_t RunDataKindPopup(int32_t current, int32_t kind, bool listAll, Point where) {
  switch (kind) {
    case kLaneControllerAutomation:
    case kLaneControllerAutomation2: return RunBusPopUp(current, where);
    case kLanePluginParameter: return RunParameterPopUp(current, where);
    case kLaneController: return RunControllerPopUp(current, listAll, where);
    default: return kNothingChosen;
  }
}

void HandleLaneTitleClick(Point where) {
  int32_t kind = GetCurrentLaneKind();
  if (kind == kLanePolyPressure) {
    uint8_t before = gFilterPolyKey;
    DragMidiValue(ChangeLaneKey, gFilterPolyKey, 0);
    if (gFilterPolyKey != before) InvalidateEditorAndLanes();
    return;
  }
  if (kind != kLaneController && kind != kLanePluginParameter && kind != kLaneControllerAutomation &&
      kind != kLaneControllerAutomation2) {
    SysBeep(kBeepTicks);
    return;
  }
  int32_t choice = RunDataKindPopup(gLaneController, kind, false, where);
  if (choice < -kSpecialEntries || choice == gLaneController) return;
  SelectLaneController(choice);
  if (kind == kLaneController && gCurrentPaneSlot == 0) StoreTrackLaneController(choice);
  // Interim: the plug-in chain entry's shown parameter and the instrument record's lane bytes
  // have no home in the records yet; the pane keeps the choice.
  DrawLaneTitle();
  InvalidateEditorAndLanes();
}
