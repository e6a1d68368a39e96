#include "song/model/track_edit_brackets.h"

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_template.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"

uint32_t gTrackEditWaitLimit = 1000000;

namespace {

constexpr int32_t kTrackEditLockOwner = 2;

struct TrackEditContext {
  int32_t code = 0;
  int32_t hook = 0;
  uint16_t hiddenId = 0;
  int32_t trackIndex = 0;
  OSErr result = noErr;
};

bool IsEditableTrack() { return gCurrentSong && HasValidCurrentTrack() && gCurrentTrack != gTrackTemplate; }

// Waits, at most gTrackEditWaitLimit microseconds, while the engine is busy with the track,
// and marks the track as edited and not the engine's again; false when the engine did not
// leave it in time.
bool WaitForEngine() {
  bool left = WaitForEngineToLeaveTrack(uint64_t(gTrackEditWaitLimit) * 1000);
  gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagEditing;
  gCurrentTrack[kTrackPlayFlags] &= uint8_t(~kTrackPlayFlagEngine);
  return left;
}

void BeginHook(TrackEditContext* context) {
  if (!IsEditableTrack()) return;
  if (!gSectionMode) {
    gCurrentTrack[kTrackPlayFlags] &= uint8_t(~kTrackPlayFlagEditing);
    return;
  }
  int32_t lock = TryLockClockForSong(kTrackEditLockOwner);
  gCurrentTrack[kTrackPlayFlags] &= uint8_t(~kTrackPlayFlagEngine);
  if (lock == 0) UnlockClockForSong(0);
  gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagEditing;
  if (!WaitForEngine()) {
    ReportError(kEngineNoAnswerText);
    context->result = kEngineNoAnswerText;
  }
  if (IsCurrentSongPlaying() && ReadU32BE(gCurrentTrack + kTrackPlayCursorStart) == 0)
    WriteU32BE(gCurrentTrack + kTrackFirstEventOffset, 0);
}

void EndHook(TrackEditContext*) {
  if (!IsEditableTrack()) return;
  Handle list(ReadU32BE(gCurrentTrack + kTrackEventList));
  if (!list || !IsValidHandle(list)) {
    WriteU32BE(gCurrentTrack + kTrackFirstEventOffset, 0);
    WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, 0);
    gCurrentTrack[kTrackPlayFlags] &= uint8_t(~kTrackPlayFlagEditing);
    return;
  }
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* e = GetHandleSize(list) >= kEndRecordSize
                   ? SeekEventList(start, int32_t(GetSongPositionTick()))
                   : nullptr;
  if (e && SeqEventTime(e) != 0)
    WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, uint32_t(e - start) + 1);
  else
    gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagAtEnd | kTrackPlayFlagEngine;
}

void EndNoticeHook(TrackEditContext* context) {
  if (IsEditableTrack() && GetTrackInsertRack()) SendEngineTrackCommand(9, context->code);
  EndHook(context);
}

void LinkHook(TrackEditContext* context);

using TrackEditHook = void (*)(TrackEditContext*);
TrackEditHook gTrackEditHooks[4] = {BeginHook, EndHook, EndNoticeHook, LinkHook};

// For a child that stands for the song being edited: the same track, the same hook.
int32_t LinkChildVisit(void* arg) {
  auto* context = static_cast<TrackEditContext*>(arg);
  gIterationAbort = 0;
  if (!gCurrentSong || ReadU16BE(gCurrentSong + kSongId) != context->hiddenId) return 0;
  SetCurrentTrackIndex(context->trackIndex);
  if (context->hook >= 0 && context->hook < kTrackEditLinkHook) gTrackEditHooks[context->hook](context);
  return 0;
}

int32_t LinkTrackVisit(void* arg) {
  ForEachChildSequenceAll(LinkChildVisit, arg);
  gIterationAbort = 0;
  return 0;
}

void LinkHook(TrackEditContext* context) {
  if (!gSectionModeSong || PushSongContext() != noErr) return;
  SelectSong(gSectionModeSong);
  ForEachTrack(LinkTrackVisit, context);
  PopSongContext();
}

void SetEditedLinkBit() {
  if (!gCurrentSong) return;
  bool linkedChild = IsSongLink() && gCurrentChildIndex >= 0;
  uint8_t flags = gCurrentSong[kSongFlags];
  gCurrentSong[kSongFlags] = linkedChild ? uint8_t(flags | kSongFlagEditedWhilePlaying)
                                         : uint8_t(flags & ~kSongFlagEditedWhilePlaying);
}

}  // namespace

OSErr CallTrackEditHook(int32_t hook, int32_t code) {
  if (hook < 0 || hook >= kTrackEditLinkHook) return paramErr;
  TrackEditContext context;
  context.code = code;
  context.hook = hook;
  context.trackIndex = GetCurrentTrackIndex();
  gTrackEditHooks[hook](&context);
  if (gSectionMode && IsSongLink() && gSectionModeSong) {
    Handle link = gCurrentSongHandle;
    context.hiddenId = ReadU16BE(gCurrentSong + kSongId);
    WriteU16BE(gCurrentSong + kSongId, 0xFFFF);
    gTrackEditHooks[kTrackEditLinkHook](&context);
    if (char* p = HandleData(link)) WriteU16BE(p + kSongId, context.hiddenId);
  }
  return context.result;
}

OSErr BeginTrackEdit() { return CallTrackEditHook(kTrackEditBeginHook, 1); }

OSErr BeginTrackEditChecked() {
  if (!IsEditableTrack() || !GetTrackInsertRack() || gCurrentTrack[kTrackOutputKind] == 0)
    return BeginTrackEdit();
  int32_t answer = SendEngineTrackCommand(3, 1);
  if (answer != 0) return OSErr(answer);
  return BeginTrackEdit();
}

void EndTrackEdit() {
  SetEditedLinkBit();
  CallTrackEditHook(kTrackEditEndHook, 2);
}

void EndTrackEditWithCode(int32_t code) {
  SetEditedLinkBit();
  CallTrackEditHook(kTrackEditEndNoticeHook, code);
}
