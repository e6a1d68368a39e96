#include "mixer/window/mixer_clicks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "editing/context_delete_hooks.h"
#include "mixer/knobs/knob_geometry.h"
#include "mixer/menus/mixer_menus.h"
#include "mixer/menus/plugin_dialogs.h"
#include "mixer/menus/plugin_moves.h"
#include "mixer/presets/program_lists.h"
#include "mixer/presets/program_popup.h"
#include "mixer/window/instrument_redraw_range.h"
#include "mixer/window/mixer_drawing.h"
#include "mixer/window/mixer_header.h"
#include "mixer/window/mixer_layout.h"
#include "mixer/window/mixer_rows.h"
#include "mixer/window/mixer_selection.h"
#include "mixer/window/mixer_values.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/text/pascal_strings.h"
#include "platform/system/sys_beep.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/audio_unit_listeners.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/library/insert_menu.h"
#include "shell/base/app_strings.h"
#include "song/instruments/plugin_hooks.h"
#include "shell/base/event_records.h"
#include "shell/base/modifier_keys.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/dialogs/name_dialog.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/window_clicks.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/playback_reset.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kInstrumentChoiceBase = 2256;
constexpr int16_t kSoundBankDialogKind = 18;
constexpr uint8_t kAuxBusBypassBit = 0x20;
constexpr uint32_t kBooleanUnit = 2;
constexpr uint32_t kIndexedUnit = 1;

bool In(const Rect& r, Point p) { return PtInRect(p, &r); }

void RedrawMixer() { RedrawAppWindow(GetWindowForKind(kMixerKind)); }

// Follows the mouse until release; true when released inside the rectangle.
bool TrackReleaseInside(const Rect& r) {
  while (TrackMouseUntilRelease(false)) {
  }
  return In(r, gLastMousePoint);
}

bool IsContextualClick() { return IsControlModifierDown(); }

Point GlobalClickPoint() {
  Point where = gLastMousePoint;
  LocalToGlobal(&where);
  return where;
}

MixerChannel SelectedChannel() {
  MixerChannel channel;
  channel.kind = GetMixerSelectionKind();
  channel.item = GetMixerSelectionItem();
  return channel;
}

void ToggleExpanded() {
  gMixerExpanded = gMixerExpanded ? 0 : 1;
  UpdateMixerInsertArea();
}

// --- header --------------------------------------------------------------------------------

void RunChannelPopUp() {
  int32_t track = HasValidCurrentTrack() ? gCurrentTrack[kTrackNumber] : 0;
  BeginPopUpMenu();
  GetTrackNameText(gCurrentTrack, gStringBuffer);
  AddPopUpItem(gStringBuffer);
  for (int32_t b = 0; b <= gAuxBusCount; ++b) AddPopUpItem(GetInstrumentDefaultName(b));
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    const uint8_t* record = GetInstrumentRecord(i);
    Str255 name;
    name[0] = std::min<uint8_t>(record[kInstName], kInstrumentNameMax);
    std::memcpy(name + 1, record + kInstName + 1, name[0]);
    AddPopUpItem(name);
  }
  Point where = GlobalClickPoint();
  // A cancelled pop-up changes nothing, but the track number is claimed all the same.
  if (PopUpMenuAtPoint(where.v, where.h, 0) && gPopUpChoice >= 0) {
    int32_t choice = gPopUpChoice;
    int32_t result = choice == 0 ? -1 : choice <= gAuxBusCount + 1 ? choice - 1 + 5 : choice - gAuxBusCount - 2 - kInstrumentChoiceBase;
    if (ApplyMixerChannelChoice(result, track)) RedrawMixer();
  }
  ClaimTrackNumber();
}

void ToggleRackPower(const MixerRows& rows) {
  gRackPower = gRackPower ? 0 : 1;
  if (rows.head) {
    if (gRackPower) PrepareChainPlugins(rows.head);
    else SuspendRackPlugins(nullptr, rows.head);
  }
  RedrawMixer();
}

void ToggleChannelLabel(const MixerRows& rows, int32_t bus) {
  PluginInstance* first = rows.plugins[0];
  OutputBusLayout layout;
  uint8_t count = 0;
  GetPluginIOConfig(first, &layout.stereo, &count);
  layout.count = std::max<int32_t>(count, 1);
  int32_t firstIn, firstOut, largestOut, lastOut, largestIn;
  GetChainChannelCounts(rows.head, &firstIn, &firstOut, &largestOut, &lastOut, &largestIn);
  layout = ToggleOutputBus(layout, bus, lastOut);
  ResetPlaybackState(1);
  SetSongModified();
  SetPluginIOConfig(first, layout.stereo, uint8_t(layout.count));
  RedrawMixer();
}

// Output label i of a track opens its output menu, send label i of an aux bus (not the
// master) its send menu.
void RunRoutingMenu(const MixerLabels& labels, int32_t i) {
  if (labels.what == kMixerLabelsBusses && GetMixerSelectionKind() == kMixerSelectsTrack) {
    int32_t index = FindTrackIndexByNumber(GetMixerSelectionItem());
    if (index < 0) return;
    int32_t saved = GetCurrentTrackIndex();
    SetCurrentTrackIndex(index);
    RunTrackOutputMenu(i, GlobalClickPoint());
    SetCurrentTrackIndex(saved);
  } else if (labels.what == kMixerLabelsSends) {
    RunSendTargetMenu(GetMixerSelectionItem() - 1, i, GlobalClickPoint());
  } else {
    return;
  }
  RedrawMixer();
}

bool HeaderClick(const MixerRows& rows, Point p, bool expanded) {
  if (p.v >= MixerHeaderHeight(false)) return false;
  if (IsContextualClick()) {
    if (RunMixerHeaderMenu(SelectedChannel(), expanded, GlobalClickPoint())) ToggleExpanded();
    return true;
  }
  if (In(MixerHeaderNameRect(expanded), p)) {
    RunChannelPopUp();
    return true;
  }
  if (In(RackPowerSwitchRect(), p)) {
    ToggleRackPower(rows);
    return true;
  }
  MixerLabels labels = GetMixerLabels(rows);
  for (int32_t i = 0; i < labels.count; ++i) {
    if (In(MixerOutputLabelRect(expanded, i), p)) {
      RunRoutingMenu(labels, i);
      return true;
    }
    if (labels.channelLabels && In(MixerChannelLabelRect(expanded, i), p)) {
      ToggleChannelLabel(rows, i);
      return true;
    }
  }
  return true;
}

// --- rack faders -----------------------------------------------------------------------------

int32_t FaderDragTravel() {
  if (gFaderTravel <= 0) LayoutInstrumentStrip();
  return gFaderTravel > 0 ? gFaderTravel : kRackFaderTravel;
}

void DragRackFader(PluginInstance* first, int32_t fader) {
  double values[3];
  ReadRackFaders(first, values);
  double start = values[fader];
  int32_t startV = gLastMousePoint.v;
  int32_t travel = FaderDragTravel();
  bool linked = (GetPluginMixerFlags(first) & kMixerFlagLink) != 0;
  gInstrumentRedrawRange.Reset();
  while (TrackMouseUntilRelease(false)) {
    double old = values[fader];
    values[fader] = DragFaderValue(start, startV, gLastMousePoint.v, kRackFaderMaxima[fader], travel);
    if (fader == 1) values[1] = std::trunc(values[1]);
    if (values[fader] == old) continue;
    SetSongModified();
    if (linked) ApplyRackFaderLink(fader, old, values);
    StoreRackFaders(first, values);
    RedrawRackFader(fader);
    if (linked && fader != 0) RedrawRackFader(fader == 1 ? 2 : 1);
  }
  gInstrumentRedrawRange.Redraw();
}

void ToggleLink(PluginInstance* first) {
  uint32_t flags = GetPluginMixerFlags(first) ^ kMixerFlagLink;
  SetPluginMixerFlags(first, flags);
  if (flags & kMixerFlagLink) {
    double values[3];
    ReadRackFaders(first, values);
    values[1] = LinkedFaderOne(values[2]);
    StoreRackFaders(first, values);
  }
  RedrawMixer();
}

bool FaderClick(const MixerRows& rows, Point p, bool expanded) {
  if (rows.count == 0) return false;
  if (In(RackLinkSwitchRect(expanded), p)) {
    ToggleLink(rows.plugins[0]);
    return true;
  }
  for (int32_t i = 0; i < 3; ++i) {
    if (!In(RackFaderColumn(expanded, i), p)) continue;
    DragRackFader(rows.plugins[0], i);
    return true;
  }
  return false;
}

// --- plug-in rows ----------------------------------------------------------------------------

bool DeselectAll(const MixerRows& rows, const PluginInstance* except) {
  bool changed = false;
  for (int32_t i = 0; i < rows.count; ++i) {
    PluginInstance* p = rows.plugins[i];
    uint32_t flags = GetPluginMixerFlags(p);
    if (p == except || !(flags & kMixerFlagSelected)) continue;
    SetPluginMixerFlags(p, flags & ~kMixerFlagSelected);
    changed = true;
  }
  return changed;
}

bool SelectPlugin(const MixerRows& rows, PluginInstance* p) {
  uint32_t flags = GetPluginMixerFlags(p);
  bool changed = false;
  if (IsCommandModifierDown()) {
    SetPluginMixerFlags(p, flags ^ kMixerFlagSelected);
    changed = true;
  } else if (!(flags & kMixerFlagSelected)) {
    SetPluginMixerFlags(p, flags | kMixerFlagSelected);
    changed = true;
    if (!IsShiftModifierDown()) DeselectAll(rows, p);
  }
  if (changed) RedrawMixer();
  return changed;
}


// The MIDI filter dialog; a changed flag changes which plug-ins take MIDI, so the devices
// are registered again and the program names looked at.
void RunMidiFilterOptions(PluginInstance* plugin) {
  if (!RunPluginMidiFilterDialog(plugin)) return;
  RebuildDeviceTable();
  RefreshProgramNames(plugin);
  RedrawMixer();
}

void RemoveOnly(const MixerRows& rows, PluginInstance* plugin) {
  DeselectAll(rows, plugin);
  SetPluginMixerFlags(plugin, GetPluginMixerFlags(plugin) | kMixerFlagSelected);
  ClearSelectedMixerPlugins();
}

// The plug-in's contextual menu and its command.
void RunRowContextMenu(const MixerRows& rows, int32_t row) {
  PluginInstance* plugin = rows.plugins[row];
  int16_t command = RunPluginContextMenu(plugin, gMixerExpanded != 0, GlobalClickPoint());
  if (command == kPluginCommandRemove) RemoveOnly(rows, plugin);
  if (command == kPluginCommandClearAutomation) ClearRackPluginAutomation(rows.rack, row);
  if (command == kPluginCommandOptions) RunMidiFilterOptions(plugin);
  if (command == kPluginCommandInformation) ShowPluginInfoDialog(rows.head, row, GlobalClickPoint());
  if (command == kPluginCommandDisplayOption) SetPluginMixerFlags(plugin, GetPluginMixerFlags(plugin) ^ kMixerFlagDisplay);
  RedrawMixer();
}

// A press that moves before the button comes up drags the row's plug-in.
void DragRow(const MixerRows& rows, int32_t row) {
  if (!WaitForMouseMoveOrTimeout(EventTicksNow() + 30, 3, true)) return;
  int16_t top = MixerRowTopOf(rows, row);
  Rect bounds{top, MixerRowsLeft(gMixerExpanded != 0), int16_t(top + rows.heights[row]), kMixerWidth};
  Point topLeft{bounds.top, bounds.left}, bottomRight{bounds.bottom, bounds.right};
  LocalToGlobal(&topLeft);
  LocalToGlobal(&bottomRight);
  StartRackPluginDrag(rows.rack, row, rows.count, Rect{topLeft.v, topLeft.h, bottomRight.v, bottomRight.h}, &gLastEvent);
}

// Selection, then the contextual menu or a drag of the plug-in.
void RowNameClick(const MixerRows& rows, int32_t row) {
  SelectPlugin(rows, rows.plugins[row]);
  if (IsContextualClick()) RunRowContextMenu(rows, row);
  else DragRow(rows, row);
}

void ToggleBypass(PluginInstance* p) {
  SetPluginBypass(p, GetBypassState(p) ? 0 : 1, 0);
  if (GetMixerSelectionKind() == kMixerSelectsAuxBus)
    if (uint8_t* bus = GetInstrumentRecord(gInstrumentCount + GetMixerSelectionItem() - 1)) bus[kInstFlags] &= uint8_t(~kAuxBusBypassBit);
  RedrawMixer();
}

void ChooseSoundBank(PluginInstance* p) {
  FSSpec file;
  if (RunNavGetFileDialog(0, nullptr, &file, kSoundBankDialogKind, 0) != noErr) return;
  uint8_t bank[kSoundBankSpecBytes];
  FileToSoundBankImage(&file, bank);
  AccessSoundBank(p, 0, bank);
  RegisterPluginPatchNames(p->id);
  RedrawMixer();
}

void PageRow(PluginInstance* p, const MixerRowShape& shape, bool forward) {
  int32_t first = shape.firstVisible;
  int32_t next = PageFirstVisible(first, shape.parameters, MixerKnobsPerLine(gMixerExpanded != 0), forward);
  if (next == first) return;
  SetFirstVisibleParameter(p, next);
  RedrawMixer();
}

void TrackKnob(const MixerRows& rows, int32_t row, int32_t k, const Rect& knob) {
  PluginInstance* p = rows.plugins[row];
  int32_t index = rows.shapes[row].firstVisible + k;
  ParameterDescription info;
  bool boolean = GetParameterInfo(p, index, &info) == noErr && info.unit == kBooleanUnit;
  if (boolean) {
    SetPluginParameterChecked(p, index, ToggledBooleanValue(GetPluginParameterChecked(p, index)), kSetParameterNormal);
    RedrawMixerParameters(row);
    return;
  }
  do {
    float value = float(ParameterValueFromKnobAngle(KnobAngleFromMouse(&knob))) / float(kParameterKnobMaximum);
    if (value != GetPluginParameterChecked(p, index)) {
      SetPluginParameterChecked(p, index, value, kSetParameterNormal);
      DrawMixerKnobCell(p, row, k, rows);
    }
  } while (TrackMouseUntilRelease(false));
}

// The value typed for a parameter, in its own units: the plug-in's reading of the text, else
// the text as a decimal number; clamped to the parameter's range.
void RunParameterEntryDialog(PluginInstance* p, int32_t index, const ParameterDescription& info) {
  char text[72] = {};
  GetParameterValueText(p, index, text, int32_t(sizeof text), nullptr);
  Str255 name;
  CopyCStringToPascal(text, name);
  Point where{gLastMousePoint.v, gLastMousePoint.h};
  LocalToGlobal(&where);
  if (!EditNameInDialog(where, name, 63)) return;
  char typed[256];
  std::memcpy(typed, name + 1, name[0]);
  typed[name[0]] = 0;
  float normalised = 0.0f;
  float value = 0.0f;
  if (ParseParameterValue(p, index, typed, &normalised) == noErr) value = MapLinearToParameter(p, index, normalised);
  else value = std::strtof(typed, nullptr);
  value = std::clamp(value, std::min(info.minimum, info.maximum), std::max(info.minimum, info.maximum));
  SetPluginParameterChecked(p, index, value, kSetParameterUnits);
}

void EnterParameterValue(PluginInstance* p, int32_t index) {
  ParameterDescription info;
  if (!(GetPluginStateFlags(p) & 1) || GetParameterInfo(p, index, &info) != noErr) return;
  if (info.unit == kIndexedUnit) {
    SysBeep(5);
    return;
  }
  RunParameterEntryDialog(p, index, info);
}

bool KnobClick(const MixerRows& rows, int32_t row, Point p, bool expanded) {
  const MixerRowShape& shape = rows.shapes[row];
  int16_t top = MixerRowTopOf(rows, row);
  int32_t shown = MixerVisibleKnobs(shape, expanded);
  for (int32_t k = 0; k < shown; ++k) {
    Rect knob = MixerKnobRect(shape, expanded, top, k);
    if (In(knob, p)) {
      TrackKnob(rows, row, k, knob);
      return true;
    }
    if (In(MixerValueTextRect(knob), p)) {
      EnterParameterValue(rows.plugins[row], shape.firstVisible + k);
      RedrawMixerParameters(row);
      return true;
    }
  }
  return false;
}

bool RowButtonClick(const MixerRows& rows, int32_t row, Point p, bool expanded) {
  PluginInstance* plugin = rows.plugins[row];
  int16_t top = MixerRowTopOf(rows, row);
  if (plugin->receivesMidi && In(MixerOptionsButtonRect(expanded, top), p)) {
    if (TrackReleaseInside(MixerOptionsButtonRect(expanded, top))) RunMidiFilterOptions(plugin);
    return true;
  }
  if (expanded && In(MixerRemoveButtonRect(true, top), p)) {
    if (TrackReleaseInside(MixerRemoveButtonRect(true, top))) RemoveOnly(rows, plugin);
    return true;
  }
  if (In(MixerBypassRect(expanded, top), p)) {
    ToggleBypass(plugin);
    return true;
  }
  if (RowHasProgramLine(rows.shapes[row]) && In(MixerProgramRect(expanded, top), p)) {
    Rect r = MixerProgramRect(expanded, top);
    Point where{r.bottom, r.left};
    LocalToGlobal(&where);
    if (RunProgramPopup(plugin, where)) RedrawMixer();
    return true;
  }
  if (RowHasSoundBankLine(rows.shapes[row]) && In(MixerSoundBankRect(rows.shapes[row], expanded, top), p)) {
    if (TrackReleaseInside(MixerSoundBankRect(rows.shapes[row], expanded, top))) ChooseSoundBank(plugin);
    return true;
  }
  if (In(MixerEditorButtonRect(expanded, top), p)) {
    TrackReleaseInside(MixerEditorButtonRect(expanded, top));
    return true;
  }
  return false;
}

bool PageClick(const MixerRows& rows, int32_t row, Point p, bool expanded) {
  const MixerRowShape& shape = rows.shapes[row];
  if (shape.parameters <= 0 || shape.withoutParameters) return false;
  int16_t top = MixerRowTopOf(rows, row);
  if (In(MixerPageArrowRect(expanded, top, false), p)) {
    PageRow(rows.plugins[row], shape, false);
    return true;
  }
  if (In(MixerPageArrowRect(expanded, top, true), p)) {
    PageRow(rows.plugins[row], shape, true);
    return true;
  }
  return false;
}

void CycleInputChannels(PluginInstance* p) {
  if (p->inputChannels >= 3 || p->inputChannels == 0) return;
  ResetPlaybackState(1);
  p->inputChannels = p->inputChannels == 1 ? 2 : 1;
  SetSongModified();
  RedrawMixer();
}

void RowClick(const MixerRows& rows, int32_t row, Point p, bool expanded) {
  PluginInstance* plugin = rows.plugins[row];
  if (RowButtonClick(rows, row, p, expanded)) return;
  if (In(MixerNameRect(expanded, MixerRowTopOf(rows, row)), p)) {
    RowNameClick(rows, row);
    return;
  }
  if (PageClick(rows, row, p, expanded) || KnobClick(rows, row, p, expanded)) return;
  if (IsOptionModifierDown()) {
    CycleInputChannels(plugin);
    return;
  }
  if (expanded) RowNameClick(rows, row);
}

}  // namespace

bool ApplyMixerChannelChoice(int32_t result, int32_t track) {
  int32_t kind = GetMixerSelectionKind();
  int32_t item = GetMixerSelectionItem();
  if (result <= -2001) StoreMixerSelection(kMixerSelectsInstrument, result + kInstrumentChoiceBase);
  else if (result >= -2000 && result <= -1000) return false;
  else SetMixerSelection(result - 5, track);
  return kind != GetMixerSelectionKind() || item != GetMixerSelectionItem();
}

int32_t MixerHelper(int32_t (*edit)(void* context), void* context) { return RunUndoableEdit(edit, context); }

namespace {

int32_t RemoveSelectedPlugins(void* context) {
  const MixerRows& rows = *static_cast<const MixerRows*>(context);
  ResetPlaybackState(1);
  uint32_t head = rows.head;
  for (int32_t i = rows.count - 1; i >= 0; --i)
    if (GetPluginMixerFlags(rows.plugins[i]) & kMixerFlagSelected) head = RemoveChainPlugin(head, nullptr, i, 0);
  SetRackChainHead(rows.rack, head);
  SetSongModified();
  return 1;
}

}  // namespace

void ClearSelectedMixerPlugins() {
  MixerRows rows;
  CollectMixerRows(&rows);
  if (!rows.rack || rows.locked) return;
  bool any = false;
  for (int32_t i = 0; i < rows.count; ++i) any = any || (GetPluginMixerFlags(rows.plugins[i]) & kMixerFlagSelected);
  if (!any || !MixerHelper(RemoveSelectedPlugins, &rows)) return;
  UpdateMixerInsertArea();
}

void HandleMixerClick(int32_t content) {
  CommitValueFieldEdit();
  if (!content) return;
  Point p = gLastMousePoint;
  bool expanded = gMixerExpanded != 0;
  MixerRows rows;
  CollectMixerRows(&rows);
  if (HeaderClick(rows, p, expanded)) return;
  if (FaderClick(rows, p, expanded)) return;
  int32_t row = FindMixerRowAt(p.v, rows.heights, rows.count, expanded, false);
  if (row >= 0 && p.h >= MixerRowsLeft(expanded)) {
    RowClick(rows, row, p, expanded);
    return;
  }
  if (expanded && rows.rack && !rows.locked && p.v >= MixerRowsBottom(rows)) {
    if (RunInsertMenu(rows.rack, rows.count, kPluginClassAll, GlobalClickPoint()) != noErr) return;
    UpdateMixerInsertArea();
    return;
  }
  if (DeselectAll(rows, nullptr)) RedrawMixer();
}

namespace {

// A plug-in dropped on the mixer moves to the row under the drop (the last row below them).
OSErr ReceiveMixerDrop(WindowRef window, void*, DragRef drag) {
  MixerRows rows;
  CollectMixerRows(&rows);
  if (!rows.rack || rows.locked || rows.count == 0) return kDropNotAcceptedErr;
  Point mouse{}, pinned{};
  GetDragMouse(drag, &mouse, &pinned);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  GlobalToLocal(&mouse);
  if (saved) SetPort(saved);
  int32_t row = FindMixerRowAt(mouse.v, rows.heights, rows.count, gMixerExpanded != 0, true);
  if (row < 0) return kDropNotAcceptedErr;
  OSErr err = ReceiveRackPluginDrop(drag, rows.rack, row);
  if (err == noErr) UpdateMixerInsertArea();
  return err;
}

}  // namespace

void InstallMixerDropHandler() {
  static WindowRef installed = nullptr;
  AppWindow* w = GetWindowForKind(kMixerKind);
  if (!w || !w->window || w->window == installed) return;
  if (InstallReceiveHandler(ReceiveMixerDrop, w->window, nullptr) == noErr) installed = w->window;
}

int32_t MixerWindowClick(AppWindow*, Point local, EventRecord*) {
  gLastMousePoint = local;
  HandleMixerClick(1);
  return 1;
}

void InstallMixerWindow() {
  SetWindowClickProc(kMixerKind, MixerWindowClick);
  gPluginHostHooks.redrawMixerRange = RedrawMixerRange;
  gAudioUnitListenerHooks.resetMixerRedrawRange = ResetMixerRedrawRange;
  gContextDeleteHooks.deleteWindow14Selection = [](int16_t) { ClearSelectedMixerPlugins(); };
}
