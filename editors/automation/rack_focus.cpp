#include "editors/automation/rack_focus.h"

#include <cstring>

#include "audio/engine/engine_state.h"
#include "editors/automation/automation_points.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/windows/windows.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/plugin_host_commands.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/track_template.h"

namespace {

constexpr int16_t kFirstMixLane = 8;
constexpr int16_t kLastMixLane = 12;
constexpr int32_t kMaxChainLength = 256;  // a chain longer than this is a broken link

uint8_t* SlotEntryRecord() { return GetInstrumentRecord(gInstrumentCount + gCurrentPaneSlot - 1); }

Handle InstrumentRack(const uint8_t* record) {
  return record ? Handle(ReadU32BE(record + kInstInsertRack)) : Handle();
}

bool IsTrackPane() { return gCurrentPaneSlot < 1; }

// The rack whose chain plays the device of the plug-in shown in the front window, 0 when the
// front window is no plug-in editor window.
Handle FrontPluginWindowRack() {
  WindowRef front = FrontWindow();
  if (!front || GetPluginEditorWindowIndex(front) < 0) return Handle();
  Handle table = GetPluginDeviceTable();
  for (int32_t n = 0; n < CountDeviceRecords(table); ++n) {
    Handle rack = GetDevicePluginChain(GetPluginDeviceRecord(n), nullptr);
    uint32_t head = rack ? GetRackChainHead(rack) : 0;
    for (int32_t i = 0; head != 0 && i < kMaxChainLength; ++i) {
      PluginInstance* plugin = GetChainPlugin(head, i);
      if (!plugin) break;
      if (plugin->editorWindow == front) return rack;
    }
  }
  return Handle();
}

bool HasTrack() { return gCurrentSong && gCurrentTrack && gCurrentTrack != gTrackTemplate; }

// The template point of the current lane, false for a lane that keeps no points.
bool LaneTemplatePoint(int32_t pluginIndex, AutomationPoint* point) {
  int16_t lane = GetLaneViewIndex();
  if (lane < kFirstMixLane || lane > kLastMixLane) return false;
  point->SetKind(uint8_t(lane - kFirstMixLane + 1));
  point->SetTarget(int16_t(gLaneController));
  if (point->Kind() == kAutomationParameter) point->SetPluginIndex(pluginIndex);
  return true;
}

OSErr CopyLanePoints(Handle from, Handle rack, const AutomationPoint& lane) {
  int32_t count = PointListEndIndex(from);
  for (int32_t i = 0; i < count; ++i) {
    AutomationPoint p;
    std::memcpy(p.bytes, PointRecordAt(from, i), kAutomationRecordSize);
    if (!IsSamePointTarget(p.bytes, lane.bytes)) continue;
    OSErr err = InsertAutomationPoint(AutomationListRef{rack}, p, kReplaceSamePoint);
    if (err != noErr) return err;
  }
  return noErr;
}

}  // namespace

Handle GetFocusedPluginHandle() {
  if (!IsTrackPane()) return InstrumentRack(SlotEntryRecord());
  Handle track = HasTrack() ? GetTrackInsertRack() : Handle();
  if (track && RackHasPluginChain(track)) return track;
  if (Handle device = FrontPluginWindowRack()) return device;
  int32_t instrument = HasTrack() ? GetTrackInstrumentOrNone() : -1;
  return instrument >= 0 ? InstrumentRack(GetInstrumentRecord(instrument)) : Handle();
}

AutomationListRef GetFocusedAutomationListRef() {
  Handle rack = IsTrackPane() ? (HasTrack() ? GetTrackInsertRack() : Handle()) : GetFocusedPluginHandle();
  return RackHasAutomationFields(rack) ? AutomationListRef{rack} : AutomationListRef{};
}

Handle GetLaneRackHandle() {
  Handle focused = GetFocusedPluginHandle();
  bool trackPane = IsTrackPane();
  if (focused && !(trackPane && HasTrack() && !GetTrackInsertRack())) return focused;
  uint8_t* record = trackPane ? (HasTrack() ? gCurrentTrack : nullptr) : SlotEntryRecord();
  if (!record) return Handle();
  OSErr err;
  uint8_t* cell = record + (trackPane ? kTrackInsertRack : kInstInsertRack);
  return EnsureInsertRack(cell, gEngineSampleRate, !trackPane, &err);
}

OSErr KeepLanePointsOnly(Handle rack, int32_t pluginIndex, Handle* detached) {
  *detached = Handle();
  Handle whole = GetRackAutomationList(rack);
  SetRackAutomationList(rack, Handle());
  AutomationPoint lane;
  if (!whole || !LaneTemplatePoint(pluginIndex, &lane)) {
    *detached = whole;
    return noErr;
  }
  OSErr err = CopyLanePoints(whole, rack, lane);
  if (err != noErr) {
    Handle partial = GetRackAutomationList(rack);
    if (partial) DisposeHandle(partial);
    SetRackAutomationList(rack, whole);
    return err;
  }
  *detached = whole;
  return noErr;
}
