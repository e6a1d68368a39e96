#include "editors/step_to_note.h"

#include "editors/follow/play_cursor.h"
#include "editors/transport_keys.h"
#include "platform/memory/memory.h"
#include "shell/windows/app_windows.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

struct NoteWalk {
  uint8_t* list = nullptr;
  uint32_t size = 0;
};

NoteWalk CurrentTrackList() {
  Handle h = GetCurrentTrackEventList();
  if (!h || !*h) return {};
  Size size = GetHandleSize(h);
  return {reinterpret_cast<uint8_t*>(HandleData(h)), size > 0 ? uint32_t(size) : 0};
}

bool IsNoteOn(const uint8_t* e) { return SeqEventKind(e) == kKindNote; }

// Calls visit (offset) for each record in order, stopping at the end record or a damaged one.
template <typename Visit>
void WalkRecords(const NoteWalk& w, Visit visit) {
  for (uint32_t at = 0, n; at + kShortEventSize <= w.size && SeqEventTime(w.list + at) != 0; at += n) {
    if ((n = SeqEventLengthWithin(w.list + at, w.size - at)) == 0) return;
    if (!visit(at)) return;
  }
}

// The offset of the current event when it points at a record of the list, else -1.
int64_t CurrentOffset(const NoteWalk& w) {
  if (!gCurrentEvent || gCurrentEvent < w.list || gCurrentEvent >= w.list + w.size) return -1;
  int64_t found = -1, wanted = gCurrentEvent - w.list;
  WalkRecords(w, [&](uint32_t at) {
    if (at == wanted) found = at;
    return at < wanted;
  });
  return found;
}

int64_t FindNote(const NoteWalk& w, int64_t from, int16_t direction) {
  int64_t found = -1;
  WalkRecords(w, [&](uint32_t at) {
    if (direction > 0) {
      if (int64_t(at) > from && IsNoteOn(w.list + at)) {
        found = at;
        return false;
      }
      return true;
    }
    if (from >= 0 && int64_t(at) >= from) return false;
    if (IsNoteOn(w.list + at)) found = at;
    return true;
  });
  return found;
}

void ClearNoteSelection(const NoteWalk& w) {
  WalkRecords(w, [&](uint32_t at) {
    w.list[at + kEventFlags] &= uint8_t(~kEventSelected);
    return true;
  });
}

}  // namespace

bool StepToNote(int16_t direction, bool extend) {
  NoteWalk w = CurrentTrackList();
  if (!w.list || FindNote(w, -1, 1) < 0) {
    ShowLocatePosition();
    return false;
  }
  int64_t note = FindNote(w, CurrentOffset(w), direction);
  if (note < 0) return false;
  if (!extend) ClearNoteSelection(w);
  uint8_t* e = w.list + note;
  e[kEventFlags] |= kEventSelected;
  gCurrentEvent = e;
  LocateAndShowInWindows(SeqEventTime(e), 1u << kMainEditorWindowKind);
  InvalidateEditorWindow();
  return true;
}
