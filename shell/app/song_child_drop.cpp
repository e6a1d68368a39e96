#include "shell/app/song_child_drop.h"

#include <algorithm>

#include "editors/timeline/timeline_axis.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_lists.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_copies.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_entries.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr uint8_t kSequenceSongMode = 1;
constexpr int32_t kChildXOffset = 10;
constexpr int32_t kChildXStep = 16;

// The first empty child cell of the current track, or a new one at the end (-1 when the
// table is full or cannot grow).
int32_t FindFreeChildCell() {
  int32_t count = gCurrentTrack[kTrackChildCount];
  for (int32_t n = 0; n < count; ++n)
    if (!TrackEntryView(gCurrentTrack).Child(n)) return n;
  if (count >= kMaxChildSequences || SetChildCount(count + 1) != 0) return -1;
  return count;
}

// Takes a child made by the drop out of its cell again.
void DisposeNewChild(int32_t cell) {
  if (PushSongContext() != noErr) return;
  Handle child = GetChildSequence(cell);
  if (child) {
    SelectSong(child);
    DisposeChildSequence(nullptr);
  }
  PopSongContext();
}

// The song's length as a reference: its end tick - 1, at least 1.
uint32_t DroppedSongLength(int32_t slot) {
  Handle song = GetSongHandleAt(slot);
  if (!song) return 1;
  uint32_t end = ReadU32BE(HandleData(song) + kSongEndTick);
  return std::max<uint32_t>(end > 0 ? end - 1 : 0, 1);
}

OSErr AttachAt(int32_t slot, uint32_t tick, int16_t x, bool copy) {
  OSErr err = EnsureTrackEventList();
  if (err != noErr) return err;
  uint32_t length = DroppedSongLength(slot);
  err = BeginTrackEdit();
  if (err != noErr) return err;
  int32_t cell = FindFreeChildCell();
  int32_t result = cell < 0 ? int32_t(memFullErr) : AttachSongAsChild(copy, slot, cell);
  if (result == noErr) {
    err = InsertSequenceReference(cell, tick, tick + length);
    if (err == noErr) {
      Handle child = TrackEntryView(gCurrentTrack).Child(cell);
      if (child) HandleData(child)[kSongChildX] = char(std::clamp<int32_t>((x - gTimelineFrame.originX + kChildXOffset) / kChildXStep, 0, 255));
    } else {
      DisposeNewChild(cell);
    }
  } else {
    if (cell >= 0) DisposeNewChild(cell);
    err = OSErr(result);
  }
  EndTrackEdit();
  return err;
}

}  // namespace

OSErr AddSongAsChildOfTrack(int32_t slot, Point local, bool copy) {
  if (!gCurrentSong || gCurrentSong[kSongMode] == kSequenceSongMode) {
    ReportError(kChildDropSongModeErr);
    return kChildDropSongModeErr;
  }
  int16_t pane = FindEditorPaneAt(local.v);
  if (pane < 0) return paramErr;
  int16_t previous = gCurrentPaneIndex;
  SelectEditorPane(pane);
  OSErr err = gCurrentTrack == gTrackTemplate ? OSErr(paramErr)
                                              : AttachAt(slot, uint32_t(XToTime(local.h)), local.h, copy);
  SelectEditorPane(previous);
  if (err != noErr) ReportError(err);
  else SetSongModified();
  InvalidateEditorWindow();
  return err;
}
