#include "mixer/menus/plugin_moves.h"

#include <unistd.h>

#include <cstring>

#include "audio/engine/automation_records.h"
#include "editors/automation/automation_playback.h"
#include "platform/events/classic_events.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/regions.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_host_hooks.h"
#include "shell/base/error_report.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/output_bindings.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_iterators.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "song/documents/playback_reset.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

enum : int32_t { kFlavorRack = 0, kFlavorRow = 4, kFlavorRows = 8, kFlavorHead = 12, kFlavorProcess = 16 };

// The output bus bytes and configuration of a chain's first plug-in, which stand for the
// rack's routing.
struct RackRouting {
  uint32_t stereo = 0;
  uint8_t count = 0;
  uint8_t device[kMaxOutputBusBytes] = {};
  uint8_t second[kMaxOutputBusBytes] = {};
  uint8_t pair[kMaxOutputBusBytes] = {};
};

void TakeRouting(const PluginInstance* first, RackRouting* routing) {
  GetPluginIOConfig(first, &routing->stereo, &routing->count);
  for (int32_t bus = 0; bus < routing->count && bus < kMaxOutputBusBytes; ++bus)
    GetPluginOutputBusInfo(first, bus, &routing->device[bus], &routing->second[bus], &routing->pair[bus]);
}

void GiveRouting(uint32_t head, const RackRouting& routing) {
  PluginInstance* first = GetChainPlugin(head, 0);
  if (!first) return;
  SetPluginIOConfig(first, routing.stereo, routing.count);
  for (int32_t bus = 0; bus < routing.count && bus < kMaxOutputBusBytes; ++bus)
    SetChainBusBytes(bus, head, routing.pair[bus], routing.device[bus], routing.second[bus]);
}

// Where a plug-in's index goes when the plug-in at `from` moves to `to`.
int32_t MovedIndex(int32_t index, int32_t from, int32_t to) {
  if (index == from) return to;
  if (from < to && index > from && index <= to) return index - 1;
  if (from > to && index >= to && index < from) return index + 1;
  return index;
}

// Points of kind 3 keep naming their plug-in.
void RenumberPluginPoints(Handle rack, int32_t from, int32_t to) {
  Handle list = GetRackAutomationList(rack);
  if (!list) return;
  Size size = GetHandleSize(list);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(*list);
  for (Size at = 0; at + kAutomationRecordSize <= size; at += kAutomationRecordSize) {
    AutomationView point{bytes + at};
    if (point.Time() >= kAutomationEndOfPoints) break;
    if (point.Kind() == kAutomationParameter)
      point.SetPluginIndex(MovedIndex(point.PluginIndex(), from, to));
  }
}

struct Move {
  Handle rack;
  int32_t from;
  int32_t to;
  OSErr chainErr = noErr;
};

constexpr int32_t kUndoKindMove = 15;

int32_t RunMove(void* context) {
  auto* move = static_cast<Move*>(context);
  SetCurrentUndoKind(kUndoKindMove);
  uint32_t head = GetRackChainHead(move->rack);
  RackRouting routing;
  TakeRouting(GetChainPlugin(head, 0), &routing);
  RenumberPluginPoints(move->rack, move->from, move->to);
  move->chainErr = MoveChainPlugin(&head, move->to, move->from);
  SetRackChainHead(move->rack, head);
  GiveRouting(head, routing);
  RefreshAutomationPlayback(move->rack);
  return 1;
}

bool IsTableRack(Handle rack) {
  for (int32_t i = 0; i <= gInstrumentCount + gAuxBusCount; ++i) {
    const uint8_t* record = GetInstrumentRecord(i);
    if (record && ReadU32BE(record + kInstInsertRack) == rack.id) return true;
  }
  return false;
}

int32_t FindRackTrack(void* arg, uint8_t* entry) {
  return ReadU32BE(entry + kTrackInsertRack) == static_cast<Handle*>(arg)->id ? entry[kTrackNumber] + 1 : 0;
}

// Runs an edit of the rack as an undo step that keeps the rack's owner: the instrument table,
// or the track whose rack it is (made current for the step).
bool RunRackStep(Handle rack, int32_t (*edit)(void*), void* context) {
  if (IsTableRack(rack)) {
    RunInstrumentTableStep(edit, context);
    return true;
  }
  int32_t track = SearchSongTracks(FindRackTrack, &rack) - 1;
  if (track < 0) return edit(context) != 0;
  int32_t saved = gCurrentTrackNumber;
  SelectTrackNumber(track);
  bool ran = RunUndoableEditForCurrentTrack(edit, context) != 0;
  SelectTrackNumber(saved);
  return ran;
}

bool RunMoveStep(Move* move) { return RunRackStep(move->rack, RunMove, move); }

struct ClearPoints {
  Handle rack;
  int32_t row;
};

constexpr int32_t kUndoKindCutPoints = 13;

// Drops the kind-3 points of the plug-in at `row`; the end record and every other point stay
// in order.
int32_t RunClearPoints(void* context) {
  auto* clear = static_cast<ClearPoints*>(context);
  SetCurrentUndoKind(kUndoKindCutPoints);
  Handle list = GetRackAutomationList(clear->rack);
  if (!list) return 1;
  Size size = GetHandleSize(list);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(*list);
  Size kept = 0, at = 0;
  for (; at + kAutomationRecordSize <= size; at += kAutomationRecordSize) {
    AutomationView point{bytes + at};
    bool end = point.Time() >= kAutomationEndOfPoints;
    if (!end && point.Kind() == kAutomationParameter && point.PluginIndex() == clear->row) continue;
    if (kept != at) std::memmove(bytes + kept, bytes + at, kAutomationRecordSize);
    kept += kAutomationRecordSize;
    if (end) break;
  }
  if (kept < size) SetHandleSize(list, kept);
  RefreshAutomationPlayback(clear->rack);
  return 1;
}

}  // namespace

void FillPluginDragFlavor(uint8_t flavor[kPluginDragFlavorBytes], Handle rack, int32_t row,
                          int32_t rows) {
  WriteU32BE(flavor + kFlavorRack, rack.id);
  WriteI32BE(flavor + kFlavorRow, row);
  WriteI32BE(flavor + kFlavorRows, rows);
  WriteU32BE(flavor + kFlavorHead, GetRackChainHead(rack));
  WriteU32BE(flavor + kFlavorProcess, uint32_t(getpid()));
}

int32_t ReadPluginDragFlavor(const uint8_t* flavor, int32_t length, Handle rack) {
  if (!flavor || length != kPluginDragFlavorBytes || !rack) return -1;
  if (ReadU32BE(flavor + kFlavorProcess) != uint32_t(getpid())) return -1;
  if (ReadU32BE(flavor + kFlavorRack) != rack.id) return -1;
  int32_t row = ReadI32BE(flavor + kFlavorRow);
  if (row < 0 || row >= CountChainPlugins(GetRackChainHead(rack))) return -1;
  return row;
}

OSErr MoveRackPlugin(Handle rack, int32_t from, int32_t to) {
  int32_t count = CountChainPlugins(GetRackChainHead(rack));
  if (from < 0 || from >= count || to < 0) return paramErr;
  if (to >= count) to = count - 1;
  if (to == from) return kDropNotAcceptedErr;
  ResetPlaybackState(1);  // the chain relinks with the engine's channels stopped
  Move move{rack, from, to};
  if (!RunMoveStep(&move)) return memFullErr;
  RequestPluginWindowRefresh(kRefreshMixer);
  SetSongModified();
  if (move.chainErr != noErr) {
    EventRecord pending;
    while (GetNextEvent(mDownMask | mUpMask, &pending)) {}
    ReportError(move.chainErr);
  }
  return move.chainErr;
}

OSErr ClearRackPluginAutomation(Handle rack, int32_t row) {
  if (!rack || row < 0 || row >= CountChainPlugins(GetRackChainHead(rack))) return paramErr;
  ClearPoints clear{rack, row};
  if (!RunRackStep(rack, RunClearPoints, &clear)) return memFullErr;
  RequestPluginWindowRefresh(kRefreshMainEditor | kRefreshTrackWindow);
  SetSongModified();
  return noErr;
}

OSErr StartRackPluginDrag(Handle rack, int32_t row, int32_t rows, Rect rowBounds,
                          const EventRecord* event) {
  DragRef drag = nullptr;
  OSErr err = NewDrag(&drag);
  if (err != noErr) return err;
  uint8_t flavor[kPluginDragFlavorBytes];
  FillPluginDragFlavor(flavor, rack, row, rows);
  err = AddDragItemFlavor(drag, 1, kPluginDragFlavor, flavor, kPluginDragFlavorBytes, 0);
  if (err == noErr) err = SetDragItemBounds(drag, 1, &rowBounds);
  if (err == noErr) {
    RgnHandle outline = NewRgn();
    RgnHandle inner = NewRgn();
    RectRgn(outline, &rowBounds);
    Rect inside = rowBounds;
    InsetRect(&inside, 1, 1);
    RectRgn(inner, &inside);
    DiffRgn(outline, inner, outline);
    err = TrackDrag(drag, event, outline);
    DisposeRgn(inner);
    DisposeRgn(outline);
  }
  DisposeDrag(drag);
  return err;
}

OSErr ReceiveRackPluginDrop(DragRef drag, Handle rack, int32_t targetRow) {
  DragItemRef item = 0;
  if (GetDragItemReferenceNumber(drag, 1, &item) != noErr) return kDropNotAcceptedErr;
  Size size = 0;
  if (GetFlavorDataSize(drag, item, kPluginDragFlavor, &size) != noErr || size != kPluginDragFlavorBytes)
    return kDropNotAcceptedErr;
  uint8_t flavor[kPluginDragFlavorBytes];
  if (GetFlavorData(drag, item, kPluginDragFlavor, flavor, &size, 0) != noErr) return kDropNotAcceptedErr;
  int32_t from = ReadPluginDragFlavor(flavor, size, rack);
  if (from < 0) return kDropNotAcceptedErr;
  return MoveRackPlugin(rack, from, targetRow);
}
