#include "mixer/instrument_window/strip_menus.h"

#include <algorithm>

#include "mixer/destinations/destination_items.h"
#include "mixer/instrument_window/strip_drawing.h"
#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/strip_values.h"
#include "mixer/outputs/instrument_values.h"
#include "mixer/outputs/value_moves.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/ports.h"
#include "shell/base/app_strings.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/windows/instrument_strip_layout.h"
#include "song/conductor/conductor_map.h"
#include "song/dialogs/song_setup_commands.h"
#include "song/events/time_selection.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/track_output_assignment.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int16_t kStripMenuId = 194;
constexpr int16_t kChannelCount = 16;
constexpr uint8_t kPreFaderFlag = 0x40;
constexpr uint8_t kNewBusKind = 11;
constexpr int16_t kNewTrackNameText = 16;  // STR# 138 item 17
enum : int16_t {
  kItemSources = 1, kItemTargets = 2, kItemShowStrips = 4, kItemView = 6,
  kItemWriteAtStart = 7, kItemWriteAtSelection = 8, kItemWriteMarkedAtStart = 9, kItemWriteMarkedAtSelection = 10,
  kItemLink = 12, kItemTableOperation = 13, kItemNewEntry = 15, kItemSettings = 16
};

struct StripMenus {
  MenuRef menu = nullptr, sources = nullptr, targets = nullptr, strips = nullptr;
  Handle sourceItems = Handle(), targetItems = Handle();
};

void PreFaderPopUp() {
  uint8_t* r = CurrentInstrumentRecord();
  int32_t send = ShownSendOf(gCurrentInstrument);
  if (!r || send < 0) return;
  uint8_t* flags = r + kInstSends + kInstSendSize * send + 3;
  BuildPopUpFromAllStrings(kSendPlacementList, 0);
  Point mouse{};
  GetGlobalMouse(&mouse);
  if (PopUpMenuAtPoint(mouse.v, mouse.h, (*flags & kPreFaderFlag) ? 2 : 1) == 0 || gPopUpChoice < 1) return;
  *flags = uint8_t(gPopUpChoice == 2 ? (*flags | kPreFaderFlag) : (*flags & ~kPreFaderFlag));
  SendCurrentVolume(kValueSendOnly);  // the engine takes the send's new place with its level
  RedrawStripElement(kStripProgram);
}

struct WriteRequest {
  int32_t strip;
  uint32_t tick;
};

int32_t WriteValuesStep(void* context) {
  auto* request = static_cast<WriteRequest*>(context);
  int32_t saved = gCurrentInstrument;
  gCurrentInstrument = request->strip;
  int32_t result = 1;
  if (IsMasterStrip(request->strip)) {
    result = SetMasterVolumeAt(GetInstrumentVolume(CurrentInstrumentRecord()), int32_t(request->tick)) == noErr;
  } else {
    const uint8_t* r = CurrentInstrumentRecord();
    bool plugin = r && (GetInstrumentDevice(r) == kDeviceKindPlugin || IsAuxBusStrip(request->strip));
    result = WriteStripValues(plugin, request->tick, -1) == noErr;
  }
  gCurrentInstrument = saved;
  SetSongModified();
  InvalidateEditorWindow();
  return result;
}

bool ItemsEnabledForValues(const StripMenus& m) {
  const uint8_t* r = CurrentInstrumentRecord();
  if (!r) return false;
  if (gCurrentInstrument >= gInstrumentCount || GetInstrumentDevice(r) == 0) return true;
  for (int32_t k = 1; k <= CountDestinationItems(m.sourceItems); ++k)
    if (GetDestinationKind(GetDestinationItem(m.sourceItems, k)) == kDestTrack) return true;
  return false;
}

void EnableItem(MenuRef menu, int16_t item, bool on) {
  if (on) EnableMenuItem(menu, item);
  else DisableMenuItem(menu, item);
}

void AttachSubmenu(MenuRef menu, int16_t item, MenuRef sub, MenuID id) {
  if (!sub) return;
  InsertMenu(sub, hierMenu);
  SetMenuItemHierarchicalID(menu, item, id);
}

bool BuildStripMenus(StripMenus* m) {
  m->menu = GetMenu(kStripMenuId);
  if (!m->menu) return false;
  static const unsigned char kEmpty[] = "\0";
  m->sources = NewMenu(kDestinationSourcesMenuId, kEmpty);
  m->targets = NewMenu(kDestinationTargetsMenuId, kEmpty);
  m->sourceItems = AppendStripSourceItems(m->sources, gCurrentInstrument);
  m->targetItems = AppendStripTargetItems(m->targets, gCurrentInstrument);
  m->strips = NewShowStripsMenu(gCurrentInstrument);
  AttachSubmenu(m->menu, kItemSources, m->sources, kDestinationSourcesMenuId);
  AttachSubmenu(m->menu, kItemTargets, m->targets, kDestinationTargetsMenuId);
  AttachSubmenu(m->menu, kItemShowStrips, m->strips, kShowStripsMenuId);
  const bool values = ItemsEnabledForValues(*m);
  const bool instrument = gCurrentInstrument < gInstrumentCount;
  for (int16_t item = kItemWriteAtStart; item <= kItemWriteMarkedAtSelection; ++item) EnableItem(m->menu, item, values);
  EnableItem(m->menu, kItemView, false);  // no plug-in or device view is shown from here yet
  EnableItem(m->menu, kItemLink, instrument && CountFlaggedInstruments(7) >= 2);
  EnableItem(m->menu, kItemTableOperation, false);
  EnableItem(m->menu, kItemNewEntry, gInstrumentCount > 1 && !IsMasterStrip(gCurrentInstrument));
  EnableItem(m->menu, kItemSettings, false);
  return true;
}

void DisposeStripMenus(StripMenus* m) {
  for (MenuRef sub : {m->sources, m->targets, m->strips})
    if (sub) DisposeMenu(sub);
  if (m->sourceItems) DisposeHandle(m->sourceItems);
  if (m->targetItems) DisposeHandle(m->targetItems);
}

// Joins the selected strips into one link group: the lowest group number 1..31 that no
// strip uses.
void LinkSelectedStrips() {
  bool used[32] = {};
  for (int32_t i = 0; i < gInstrumentCount; ++i) used[GetInstrumentRecord(i)[kInstLinkGroup] & 31] = true;
  int32_t group = 1;
  while (group < 32 && used[group]) ++group;
  if (group >= 32) return;
  for (int32_t i = 0; i < gInstrumentCount; ++i)
    if (IsStripSelected(i)) SetInstrumentLinkGroup(GetInstrumentRecord(i), uint8_t(group));
  RebuildLinkGroups();
  InvalidateInstrumentWindow();
}

void HandleMainItem(int16_t item) {
  switch (item) {
    case kItemWriteAtStart: case kItemWriteAtSelection: case kItemWriteMarkedAtStart: case kItemWriteMarkedAtSelection:
      return WriteCurrentStripValues(item);
    case kItemLink: return LinkSelectedStrips();
    case kItemNewEntry:
      return RunNewInstrumentDialog(gCurrentInstrument >= gInstrumentCount ? kNewBusKind
                                                                             : GetInstrumentRecord(gCurrentInstrument)[kInstDeviceKinds],
                                    0);
    default: return;
  }
}

}  // namespace

int32_t FindFirstTrackPlaying(int32_t index) {
  for (int32_t t = 0; t < GetSongTrackCount(); ++t) {
    const uint8_t* track = GetTrackEntryAt(t);
    if (track && (track[kTrackFlags] & kTrackFlagPlaysInstrument) && GetTrackInstrument(track, 0) == index) return t;
  }
  return -1;
}

bool PrepareStripDrag() {
  if (!AreValueMovesRecorded() || gCurrentInstrument >= gInstrumentCount || !gCurrentSong) return true;
  if (FindFirstTrackPlaying(gCurrentInstrument) >= 0) return true;
  const int32_t number = FindFreeTrackNumber();
  if (number < 0 || SelectOrAddTrackForNumber() != noErr || !HasValidCurrentTrack()) return false;
  const uint8_t* r = CurrentInstrumentRecord();
  SetTrackOutput(r[kInstPorts], r[kInstChannels], r[kInstDeviceKinds]);
  TrackEntryView view(gCurrentTrack);
  view.SetInstrument(0, uint16_t(gCurrentInstrument << 8));
  view.SetFlags(uint8_t(view.Flags() | kTrackFlagPlaysInstrument));
  view.SetChannelCount(1);
  gStringBuffer[0] = 0;
  AppendIndString(kDestinationTextList, kNewTrackNameText);
  if (gStringBuffer[0] > 0) --gStringBuffer[0];  // the heading less its last character
  SetTrackName(gStringBuffer);
  ClearTrackSelectionMask();
  SelectTrackSlot(number);
  RecomputeSelectionBounds(gTrackSelection, true);
  SetSongModified();
  InvalidateTrackWindow();
  return true;
}

void ClickStripProgram() {
  uint8_t* r = CurrentInstrumentRecord();
  if (!r) return;
  if (ShownSendOf(gCurrentInstrument) >= 0) return PreFaderPopUp();
  if (GetInstrumentDevice(r) == kDeviceKindPlugin) return;  // the rack's plug-in menu belongs to the mixer
  const bool fromOne = (r[kInstOptions] & kInstOptionProgramsFromOne) != 0;
  int32_t program = int8_t(r[kInstProgram]), chosen = -1;
  int32_t first = fromOne ? 1 : 0;
  if (!ShowNumberRangePopUp(0xFFFFFFFFu, program + first, first, first + 127, 0, 0, 0, &chosen)) return;
  SendProgramChange(r, chosen);
  RedrawStripElement(kStripProgram);
}

void ClickStripChannel() {
  uint8_t* r = CurrentInstrumentRecord();
  if (!r) return;
  int32_t chosen = 0;
  if (!ShowNumberRangePopUp(0xFFFFFFFFu, r[kInstChannels] + 1, 1, kChannelCount, 0, 0, 0, &chosen)) return;
  if (chosen - 1 == r[kInstChannels]) return;
  SendInstrumentController(gCurrentInstrument, 0, 64);  // nothing stays held on the old channel
  r[kInstChannels] = uint8_t(chosen - 1);
  RebuildInstrumentState();
  RedrawStripElement(kStripChannel);
}

void WriteCurrentStripValues(int16_t item) {
  const bool atStart = item == kItemWriteAtStart || item == kItemWriteMarkedAtStart;
  WriteRequest request{gCurrentInstrument, atStart ? 1u : gTimeSelection.start.tick};
  if (!IsMasterStrip(gCurrentInstrument) && !IsAuxBusStrip(gCurrentInstrument)) {
    int32_t track = FindFirstTrackPlaying(gCurrentInstrument);
    if (track < 0) return;
    SetCurrentTrackIndex(track);
  }
  RunUndoableEdit(WriteValuesStep, &request);
}

void RunStripContextMenu(Point local) {
  StripMenus m;
  if (!BuildStripMenus(&m)) return;
  Point where = local;
  LocalToGlobal(&where);
  UInt32 selectionType = 0;
  MenuID chosenMenu = 0;
  MenuItemIndex chosenItem = 0;
  OSStatus err = ContextualMenuSelect(m.menu, where, false, 0, nullptr, nullptr, &selectionType, &chosenMenu, &chosenItem);
  if (err == noErr && chosenItem > 0) {
    if (chosenMenu == kDestinationSourcesMenuId) GoToDestinationItem(m.sourceItems, chosenItem);
    else if (chosenMenu == kDestinationTargetsMenuId) GoToDestinationItem(m.targetItems, chosenItem);
    else if (chosenMenu == kShowStripsMenuId) HandleShowStripsChoice(chosenItem);
    else if (chosenMenu == kStripMenuId) HandleMainItem(int16_t(chosenItem));
  }
  DisposeStripMenus(&m);
}
