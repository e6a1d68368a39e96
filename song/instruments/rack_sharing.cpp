#include "song/instruments/rack_sharing.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/instruments/insert_rack_state.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/media_hooks.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"

namespace {

uint8_t* RackBytes(Handle rack) { return reinterpret_cast<uint8_t*>(HandleData(rack)); }

uint32_t ChainCell(Handle rack) { return ReadU32BE(RackBytes(rack) + kRackChainCell); }

void SetChainCell(Handle rack, uint32_t value) {
  WriteU32BE(RackBytes(rack) + kRackChainCell, value);
}

void MakeShared(Handle rack, int32_t quiet) {
  uint32_t chain = ChainCell(rack);
  Handle list = SnapshotInsertChain(chain);
  if (!list) return;  // nothing listed: the chain stays live rather than being lost
  RackBytes(rack)[kRackFlags] |= kRackFlagShared;
  SetChainCell(rack, list.id);
  if (!quiet) AdjustListedPluginReferences(list, 1);
  RefreshRackPlugins(rack, chain);  // the live chain's own references pass to the list
  if (!quiet) AdjustListedPluginReferences(list, -1);
}

void MakeLive(Handle rack) {
  Handle list(ChainCell(rack));
  uint32_t chain = RelinkInsertChain(list);
  SetChainCell(rack, chain);
  RackBytes(rack)[kRackFlags] &= uint8_t(~kRackFlagShared);
  DisposeInsertChainList(list, 1);
  RegisterPluginPatchNames(rack, chain, 0);
}

int32_t SetChildRacks(void* arg);

int32_t SetTrackAndChildRacks(void* arg) {
  SetTrackRackShared(arg);
  ForEachChildSequenceAll(SetChildRacks, arg);
  return 0;
}

int32_t SetChildRacks(void* arg) {
  if (!IsSongLink()) ForEachTrack(SetTrackAndChildRacks, arg);
  gIterationAbort = 0;
  return 0;
}

}  // namespace

Handle GetTrackInsertRack() {
  if (!gCurrentSong || gCurrentTrack == gTrackTemplate) return Handle();
  uint8_t movie = gCurrentSong[kSongMovieTrack];
  if (movie != 0 && movie == gCurrentTrack[kTrackNumber] + 1) return Handle();
  return Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack));
}

bool IsInsertRack(Handle rack) {
  return rack && IsValidHandle(rack) && GetHandleSize(rack) >= kRackMinSize;
}

bool IsInsertRackShared(Handle rack) {
  return IsInsertRack(rack) && (RackBytes(rack)[kRackFlags] & kRackFlagShared);
}

void SetInsertRackShared(Handle rack, int32_t shared, int32_t quiet) {
  if (!IsInsertRack(rack) || ChainCell(rack) == 0) return;
  int8_t state = HGetState(rack);
  HLock(rack);
  bool isShared = (RackBytes(rack)[kRackFlags] & kRackFlagShared) != 0;
  if (shared && !isShared) MakeShared(rack, quiet);
  else if (!shared && isShared) MakeLive(rack);
  HSetState(rack, state);
}

int32_t SetTrackRackShared(void* arg) {
  int32_t shared = arg ? *static_cast<int32_t*>(arg) : 0;
  Handle rack = GetTrackInsertRack();
  if (rack) SetInsertRackShared(rack, shared, 1);
  return 0;
}

void ForEachTrackSetRackShared(int32_t shared) { ForEachTrack(SetTrackRackShared, &shared); }

void SetSongTreeRacksShared(Handle song, int32_t shared) {
  if (!song || PushSongContext() != noErr) return;
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  SelectSong(song);
  ForEachTrack(SetTrackAndChildRacks, &shared);
  gFollowSongLinks = follow;
  PopSongContext();
}

void SetTrackTreeRacksShared(int32_t shared) {
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  SetTrackAndChildRacks(&shared);
  gFollowSongLinks = follow;
}

int32_t SetInstrumentRackShared(void* arg, uint8_t* instrument) {
  uint8_t shared = arg ? *static_cast<uint8_t*>(arg) : 0;
  Handle rack(ReadU32BE(instrument + kInstInsertRack));
  if (IsInsertRack(rack) && ChainCell(rack) != 0)
    SetInsertRackShared(rack, shared, shared == 0 ? 1 : 0);
  ResolveInstrumentParts(instrument, instrument[kInstPartMask]);
  return 0;
}

// A copied track audio record gets blocks of its own: the region list and the overview file's
// alias are copied, the overview chain through media (a cache: without media, none), and the
// movie state of the original's session is not carried over. On a failure the copies made are
// freed; the caller then drops the copied record alone.
static OSErr DuplicateTrackAudioBlocks(Handle dup) {
  constexpr int32_t kMovieWord = 86, kMovieEditState = 94;
  if (GetHandleSize(dup) < kPluginRecordBytes) return noErr;
  const int32_t cells[2] = {kPluginRecordSlotsStart, kPluginRecordRegions};
  Handle twins[2];
  for (int32_t i = 0; i < 2; ++i) {
    Handle block(ReadU32BE(HandleData(dup) + cells[i]));
    if (!block || !IsValidHandle(block)) continue;
    if (DuplicateHandleWithReserve(block, &twins[i]) != noErr) {
      if (i == 1 && twins[0]) DisposeHandle(twins[0]);
      return memFullErr;
    }
  }
  for (int32_t i = 0; i < 2; ++i)
    if (twins[i]) WriteU32BE(HandleData(dup) + cells[i], twins[i].id);
  WriteU32BE(HandleData(dup) + kMovieWord, 0);
  WriteU32BE(HandleData(dup) + kMovieEditState, 0);
  bool failed = false;
  CopyTrackAudioOverviewOf(dup, &failed);  // an overview not copied is only a cache
  return noErr;
}

namespace {

// The saved state a rack holds while its plug-ins are not open (flag 0x10, +134), or 0.
Handle WaitingRackState(Handle rack) {
  if (!rack || !IsValidHandle(rack) || GetHandleSize(rack) < kPluginRecordBytes) return Handle();
  const uint8_t* p = RackBytes(rack);
  if (!(p[kPluginRecordFlags] & kPluginFlagRackPending)) return Handle();
  Handle state(ReadU32BE(p + kPluginRecordRackState));
  return state && IsValidHandle(state) ? state : Handle();
}

void SetWaitingRackState(Handle rack, Handle state) {
  if (GetHandleSize(rack) < kPluginRecordBytes) return;
  WriteU32BE(RackBytes(rack) + kPluginRecordRackState, state.id);
  if (state) RackBytes(rack)[kPluginRecordFlags] |= kPluginFlagRackPending;
  else RackBytes(rack)[kPluginRecordFlags] &= uint8_t(~kPluginFlagRackPending);
}

void DisposeDuplicate(Handle dup) {
  Handle state = WaitingRackState(dup);
  DisposeInsertRackState(&state);
  DisposeRackPointList(dup);
  DisposeHandle(dup);
}

// The rack block duplicated with blocks of its own (point list, audio blocks, the waiting
// state) and, for now, no plug-ins.
OSErr DuplicateRackBlock(Handle rack, Handle* copy) {
  *copy = Handle();
  Handle dup;
  OSErr err = DuplicateHandleWithReserve(rack, &dup);
  if (err != noErr) return err;
  Handle waiting = WaitingRackState(rack), state;
  if (GetHandleSize(dup) >= kPluginRecordBytes) SetWaitingRackState(dup, Handle());
  if (IsInsertRack(dup)) {
    RackBytes(dup)[kRackFlags] &= uint8_t(~kRackFlagShared);
    SetChainCell(dup, 0);
  }
  err = DuplicateRackPointList(dup);
  if (err == noErr) err = DuplicateTrackAudioBlocks(dup);
  if (err == noErr) err = DuplicateInsertRackState(waiting, &state);
  if (err != noErr) {
    DisposeDuplicate(dup);
    return err;
  }
  SetWaitingRackState(dup, state);
  *copy = dup;
  return noErr;
}

}  // namespace

OSErr DuplicateRackShared(Handle rack, Handle* copy) {
  *copy = Handle();
  if (!rack || !IsValidHandle(rack)) return noErr;
  Handle dup;
  OSErr err = DuplicateRackBlock(rack, &dup);
  if (err != noErr) return err;
  if (!IsInsertRack(rack) || ChainCell(rack) == 0) {
    *copy = dup;
    return noErr;
  }
  Handle list;
  if (IsInsertRackShared(rack)) {
    err = DuplicateHandleWithReserve(Handle(ChainCell(rack)), &list);
    if (err == noErr) AdjustListedPluginReferences(list, 1);
  } else {
    list = SnapshotInsertChain(ChainCell(rack));
    if (!list) err = memFullErr;
  }
  if (err != noErr) {
    DisposeDuplicate(dup);
    return err;
  }
  RackBytes(dup)[kRackFlags] |= kRackFlagShared;
  SetChainCell(dup, list.id);
  *copy = dup;
  return noErr;
}

OSErr DuplicateRackWithSavedState(Handle rack, Handle* copy) {
  *copy = Handle();
  if (!rack || !IsValidHandle(rack)) return noErr;
  // A rack that lists shared plug-ins is no live chain to save, and without the plug-in
  // host there is no saving: either stays shared.
  if (IsInsertRackShared(rack) || !gInstrumentPluginHooks.saveInsertRackState)
    return DuplicateRackShared(rack, copy);
  Handle dup;
  OSErr err = DuplicateRackBlock(rack, &dup);
  if (err != noErr || !IsInsertRack(rack) || ChainCell(rack) == 0) {
    *copy = dup;
    return err;
  }
  Handle state = SaveInsertRackState(rack);
  if (!state) {
    DisposeDuplicate(dup);
    return memFullErr;
  }
  if (GetHandleSize(dup) < kPluginRecordBytes) {
    DisposeInsertRackState(&state);  // a block too short to keep a state keeps no plug-ins
  } else {
    Handle old = WaitingRackState(dup);
    DisposeInsertRackState(&old);
    SetWaitingRackState(dup, state);
  }
  *copy = dup;
  return noErr;
}

OSErr GiveRackSavedState(Handle from, uint8_t* cell, float rate) {
  Handle state = WaitingRackState(from);
  if (!state) return noErr;
  Handle rack(ReadU32BE(cell));
  if (rack && (!IsInsertRack(rack) || ChainCell(rack) != 0 || WaitingRackState(rack))) return noErr;
  Handle copy;
  OSErr err = DuplicateInsertRackState(state, &copy);
  if (err != noErr) return err;
  if (!rack) rack = EnsureInsertRack(cell, rate, true, &err);
  if (!rack || GetHandleSize(rack) < kPluginRecordBytes) {
    DisposeInsertRackState(&copy);
    return err != noErr ? err : OSErr(paramErr);
  }
  SetWaitingRackState(rack, copy);
  return noErr;
}

void ReleaseRackPlugins(Handle rack) {
  DisposeRackPointList(rack);
  if (!IsInsertRack(rack) || ChainCell(rack) == 0) return;
  if (IsInsertRackShared(rack))
    DisposeInsertChainList(Handle(ChainCell(rack)), 1);
  else
    ReleaseInsertChain(ChainCell(rack));
  SetChainCell(rack, 0);
}
