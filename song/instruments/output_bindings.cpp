#include "song/instruments/output_bindings.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/audio_driver_lookup.h"
#include "shell/base/error_report.h"
#include "song/documents/instrument_table_io.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/midi_hooks.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_instruments.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kMaxChildDepth = 8;
constexpr uint16_t kNoInstrumentWord = 0xFFFF;

using ChannelVisitor = void (*)(uint8_t* track, int32_t channel, void* context);

void VisitSongBlock(Handle song, int32_t depth, ChannelVisitor visit, void* context);

void VisitTrack(uint8_t* track, ChannelVisitor visit, void* context) {
  if (!(track[kTrackFlags] & kTrackFlagPlaysInstrument)) return;
  int32_t channels = std::clamp<int32_t>(track[kTrackChannelCount], 1, kTrackInstrumentSlots);
  for (int32_t c = 0; c < channels; ++c) visit(track, c, context);
}

// The tracks of a song block with checked lengths, then their child sequences. A child
// that is a link stands for an open song that is visited on its own.
void VisitSongBlock(Handle song, int32_t depth, ChannelVisitor visit, void* context) {
  if (depth > kMaxChildDepth || !song || !IsValidHandle(song)) return;
  Size size = GetHandleSize(song);
  if (size < kSongHeaderSize) return;
  if (depth > 0 && SongHeaderView(*song).IsLink()) return;
  int32_t tracks = SongHeaderView(*song).TrackCount();
  Size offset = kSongHeaderSize;
  for (int32_t t = 0; t < tracks; ++t) {
    if (offset + kTrackEntrySize > size) return;
    int32_t length = ReadU16BE(*song + offset);
    if (length < kTrackEntrySize || offset + length > size) return;
    VisitTrack(reinterpret_cast<uint8_t*>(*song) + offset, visit, context);
    TrackEntryView view(*song + offset);
    int32_t children = std::min<int32_t>(view.ChildCount(), kMaxChildSequences);
    children = std::min<int32_t>(children, (length - kTrackEntrySize) / kChildCellSize);
    for (int32_t c = 0; c < children; ++c)
      VisitSongBlock(TrackEntryView(*song + offset).Child(c), depth + 1, visit, context);
    offset += length;
  }
}

// Every channel of every track of every open song (and child sequence) that plays through
// the instrument table, always in the same order.
void VisitTableChannels(ChannelVisitor visit, void* context) {
  if (!gSongHandles || !IsValidHandle(gSongHandles)) return;
  int32_t slots = std::min<int32_t>(gSongCount, int32_t(GetHandleSize(gSongHandles) / 4));
  for (int32_t i = 0; i < slots; ++i) VisitSongBlock(Handle(ReadU32BE(*gSongHandles + 4 * i)), 0, visit, context);
}

uint16_t TrackWord(const uint8_t* track, int32_t channel) {
  return ReadU16BE(track + kTrackInstruments + 2 * channel);
}

struct SaveContext {
  Handle snapshot;
  int32_t flagBit;
  OSErr err = noErr;
};

void SaveChannel(uint8_t* track, int32_t channel, void* context) {
  auto* save = static_cast<SaveContext*>(context);
  if (save->err != noErr) return;
  uint16_t word = TrackWord(track, channel);
  int32_t instrument = word == kNoInstrumentWord ? -1 : word >> 8;
  const uint8_t* record = instrument < gInstrumentCount ? GetInstrumentRecord(instrument) : nullptr;
  if (!record) {
    save->err = AppendOutputTriple(save->snapshot, -1, kSnapshotNoOutput, 0, 0, 0);
    return;
  }
  InstrumentView view(const_cast<uint8_t*>(record));
  save->err = AppendOutputTriple(save->snapshot, instrument, view.DeviceKind(0), view.Port(0),
                                 view.Channel(0), save->flagBit);
}

void MoveInstrumentRecord(int32_t from, int32_t to) {
  if (from == to) return;
  uint8_t saved[kInstrumentSize];
  std::memcpy(saved, GetInstrumentRecord(from), kInstrumentSize);
  uint8_t* base = GetInstrumentRecord(0);
  std::memmove(base + size_t(to + 1) * kInstrumentSize, base + size_t(to) * kInstrumentSize,
               size_t(from - to) * kInstrumentSize);
  std::memcpy(GetInstrumentRecord(to), saved, kInstrumentSize);
}

struct RestoreContext {
  const uint8_t* entries;
  uint32_t count;
  uint32_t next = 0;
  bool renumber;
  int32_t insertion = 0;
};

// A new instrument for an output that no instrument plays through; -1 when none was added.
int32_t AddInstrumentForOutput(uint8_t kind, uint8_t port, uint8_t channel) {
  uint8_t record[kInstrumentSize];
  InitInstrumentRecord(record, channel, kind, port, nullptr, 0);
  int32_t before = gInstrumentCount;
  if (AddInstrumentRecord(record) != noErr || gInstrumentCount == before) return -1;
  return gInstrumentCount - 1;
}

void RestoreChannel(uint8_t* track, int32_t channel, void* context) {
  auto* restore = static_cast<RestoreContext*>(context);
  if (restore->next >= restore->count) return;
  const uint8_t* e = restore->entries + kSnapshotEntrySize * restore->next++;
  if (e[0] == kSnapshotNoOutput) return;
  int32_t instrument = FindInstrumentByOutput(e[0], e[1], e[2]);
  if (instrument >= 0 && restore->renumber && instrument >= restore->insertion) {
    MoveInstrumentRecord(instrument, restore->insertion);
    instrument = restore->insertion++;
  }
  if (instrument < 0 && (HasAudioDriverEntry(e[0]) || e[0] == kDeviceKindPlugin))
    instrument = AddInstrumentForOutput(e[0], e[1], e[2]);
  if (instrument < 0) return;  // a plain MIDI output that is gone: the word stays
  WriteU16BE(track + kTrackInstruments + 2 * channel, uint16_t(instrument << 8));
}

// The outputs of the engine channels while the table changes under them.
std::vector<std::pair<EngineChannel*, int32_t>> gEngineOutputs;

int32_t SaveChannelOutput(EngineChannel* channel, void*) {
  if (!channel || IsEngineChannelStopped(channel)) return 0;
  int32_t packed = -1;
  uint16_t instrument = GetEngineChannelInstrument(channel);
  if (instrument != kNoEngineInstrument && instrument < gInstrumentCount) {
    InstrumentView view(GetInstrumentRecord(instrument));
    packed = (view.DeviceKind(0) << 16) | (view.Port(0) << 8) | view.Channel(0);
  }
  gEngineOutputs.emplace_back(channel, packed);
  return 0;
}

int32_t RemoveUnusedEdit(void*) {
  MarkInstrumentsWithoutPlugin();
  Handle snapshot;
  if (SaveTrackOutputs(&snapshot, 4) != noErr) return 0;
  DeleteFlaggedInstrumentsAndRebuild(4);
  RestoreTrackOutputsAndRedraw(snapshot, true);
  return 0;
}

}  // namespace

int32_t FindInstrumentByOutput(uint8_t kind, uint8_t port, uint8_t channel) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    InstrumentView view(GetInstrumentRecord(i));
    if (view.DeviceKind(0) == kind && view.Port(0) == port && view.Channel(0) == channel) return i;
  }
  return -1;
}

OSErr AppendOutputTriple(Handle snapshot, int32_t instrument, uint8_t kind, uint8_t port,
                         uint8_t channel, int32_t flagBit) {
  uint32_t capacity = ReadU32BE(*snapshot);
  uint32_t count = ReadU32BE(*snapshot + 4);
  if (count * kSnapshotEntrySize + kSnapshotHeader + kSnapshotEntrySize > capacity) {
    SetHandleSize(snapshot, Size(capacity + kSnapshotGrowth));
    if (MemError() != noErr) return MemError();
    capacity += kSnapshotGrowth;
    WriteU32BE(*snapshot, capacity);
  }
  uint8_t* e = reinterpret_cast<uint8_t*>(*snapshot) + kSnapshotHeader + kSnapshotEntrySize * count;
  e[0] = kind;
  e[1] = port;
  e[2] = channel;
  e[3] = 0;
  WriteU32BE(*snapshot + 4, count + 1);
  if (flagBit && instrument >= 0 && instrument < gInstrumentCount)
    GetInstrumentRecord(instrument)[kInstFlags] &= uint8_t(~(1u << (flagBit & 7)));
  return noErr;
}

OSErr SaveTrackOutputs(Handle* snapshot, int32_t flagBit) {
  *snapshot = NewHandleClear(kSnapshotInitialSize);
  if (!*snapshot) {
    ReportError(memFullErr);
    return memFullErr;
  }
  WriteU32BE(**snapshot, kSnapshotInitialSize);
  SaveContext save{*snapshot, flagBit};
  VisitTableChannels(SaveChannel, &save);
  if (save.err != noErr) {
    ReportError(save.err);
    DisposeHandle(*snapshot);
    *snapshot = Handle();
  }
  return save.err;
}

void RestoreTrackOutputs(Handle snapshot, bool renumber) {
  if (!snapshot || !IsValidHandle(snapshot)) return;
  HLock(snapshot);
  uint32_t capacity = ReadU32BE(*snapshot);
  uint32_t count = ReadU32BE(*snapshot + 4);
  uint32_t fits = uint32_t((std::min<Size>(Size(capacity), GetHandleSize(snapshot)) - kSnapshotHeader) /
                           kSnapshotEntrySize);
  RestoreContext restore{reinterpret_cast<const uint8_t*>(*snapshot) + kSnapshotHeader,
                         std::min(count, fits), 0, renumber};
  if (renumber) SaveEngineChannelOutput();
  VisitTableChannels(RestoreChannel, &restore);
  if (renumber) {
    RebuildLinkGroups();
    RestoreEngineChannelOutput();
  }
  DisposeHandle(snapshot);
  RebuildTrackNumberMap();
}

void RestoreTrackOutputsAndRedraw(Handle snapshot, bool renumber) {
  RestoreTrackOutputs(snapshot, renumber);
  InvalidateEditorWindow();
  InvalidateTrackWindow();
  InvalidateInstrumentWindow();
  SetSongModified();
  RebuildInstrumentState();
}

void SaveEngineChannelOutput() {
  gEngineOutputs.clear();
  ForEachInstrumentPlugin(SaveChannelOutput, nullptr);
}

void RestoreEngineChannelOutput() {
  for (auto& [channel, packed] : gEngineOutputs) {
    int32_t found = packed < 0 ? -1
                               : FindInstrumentByOutput(uint8_t(packed >> 16), uint8_t(packed >> 8),
                                                        uint8_t(packed));
    SetEngineChannelInstrument(channel, found < 0 ? kNoEngineInstrument : uint16_t(found));
  }
  gEngineOutputs.clear();
}

void MarkInstrumentsWithoutPlugin() {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (RackHasPluginChain(InstrumentView(record).InsertRack()))
      record[kInstFlags] &= uint8_t(~kInstFlagMarked);
    else
      record[kInstFlags] |= kInstFlagMarked;
  }
}

void RefreshInstrumentPorts(int32_t instrument, bool reRegister) {
  uint8_t* record = GetInstrumentRecord(instrument);
  if (!record) return;
  InstrumentView view(record);
  if (!HasAudioDriverEntry(view.DeviceKind(0))) {
    for (int32_t p = 0; p < kInstrumentParts; ++p) {
      uint16_t id = view.PortValue(p);
      if (!id) continue;
      bool found = false;
      int32_t index = FindPortIndexById(id, &found);
      if (!found && reRegister && view.DeviceKind(p) == kDeviceKindMidiPort) {
        ReRegisterPort(&id);
        index = FindPortIndexById(id, &found);
      }
      if (found) view.SetPort(p, uint8_t(index));
    }
  }
  ResolveInstrumentParts(record, view.PartMask());
}

void InstallInstrumentTableWithPorts(Handle table, bool refreshPorts) {
  if (!table) return;
  InstallInstrumentTable(table);
  if (!refreshPorts) return;
  for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i) RefreshInstrumentPorts(i, false);
  RebuildInstrumentState();
}

void RemoveUnusedInstruments() { RunInstrumentTableStep(RemoveUnusedEdit, nullptr); }

void RunInstrumentTableStep(int32_t (*edit)(void* context), void* context) {
  struct Step {
    int32_t (*edit)(void*);
    void* context;
  } step{edit, context};
  auto keepAndRun = [](void* arg) -> int32_t {
    auto* s = static_cast<Step*>(arg);
    KeepInstrumentTableInUndo();
    SetCurrentUndoKind(kUndoKindInstrumentTable);
    return s->edit(s->context);
  };
  if (gCurrentSongHandle)
    RunUndoableEdit(keepAndRun, &step);
  else
    edit(context);
}
