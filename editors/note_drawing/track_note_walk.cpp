#include "editors/note_drawing/track_note_walk.h"

#include <algorithm>

#include "editors/note_drawing/bent_notes.h"
#include "editors/note_drawing/event_labels.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/model/track_length.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_sections.h"

namespace {

// The current track's event list as bytes (null without one).
struct EventBytes {
  uint8_t* base = nullptr;
  uint32_t size = 0;
};

EventBytes CurrentTrackEvents() {
  EventBytes list;
  if (!gCurrentSong || !gCurrentTrack) return list;
  Handle h = TrackEntryView(gCurrentTrack).EventList();
  if (!h) return list;
  list.base = reinterpret_cast<uint8_t*>(HandleData(h));
  list.size = list.base ? uint32_t(std::max<Size>(GetHandleSize(h), 0)) : 0;
  return list;
}

// The record at offset, or 0 at the end of the list or at a damaged record.
uint32_t RecordLength(const EventBytes& list, uint32_t offset) {
  if (offset >= list.size) return 0;
  const uint8_t* e = list.base + offset;
  if (list.size - offset < kShortEventSize || SeqEventTime(e) == 0) return 0;
  return SeqEventLengthWithin(e, list.size - offset);
}

constexpr int64_t kLongestNoteTicks = 0xFFFF;  // a note's duration is 16 bits

EditorPane& CurrentPane() { return gEditorPanes[std::clamp<int16_t>(gCurrentPaneIndex, 0, kMaxEditorPanes - 1)]; }

int32_t PaneWord(int32_t at) { return int32_t(ReadU32BE(CurrentPane().editorData + at)); }
void SetPaneWord(int32_t at, int32_t v) { WriteU32BE(CurrentPane().editorData + at, uint32_t(v)); }

// The event the pane remembered, while the list, its size and track are the ones it was found
// in and no redraw was asked for since; 0 otherwise. The left tick may have moved.
uint32_t PaneAnchor(const EventBytes& list) {
  const EditorPane& pane = CurrentPane();
  int32_t offset = PaneWord(kPaneCachedOffset);
  bool valid = offset > 0 && uint32_t(offset) < list.size && PaneWord(kPaneCachedListSize) == int32_t(list.size) &&
               pane.editorData[kPaneRedrawFlag] == 0 && gCurrentTrack &&
               pane.track == TrackEntryView(gCurrentTrack).Number();
  return valid ? uint32_t(offset) : 0;
}

// Where the walk for gTimelineLeftTick starts, from the anchor found for the left tick `was`:
// every event before the anchor is a note that ended by `was` or a lane event, so after a
// scroll to the right the walk starts at the anchor; after one to the left it steps back over
// the notes that may still sound at the new left tick. 0 walks from the list head.
uint32_t SeekFromAnchor(const EventBytes& list, uint32_t anchor, int32_t was) {
  if (gTimelineLeftTick >= was) return anchor;
  int64_t reach = int64_t(gTimelineLeftTick) - kLongestNoteTicks - 1;
  uint8_t* at = list.base + anchor;
  while (at > list.base) {
    uint8_t* previous = PrevEventStartWithin(at, list.base);
    if (!previous || previous >= at) return 0;
    if (int64_t(SeqEventTime(previous)) < reach) break;
    at = previous;
  }
  return uint32_t(at - list.base);
}

void ClearPaneCache() { SetPaneWord(kPaneCachedOffset, 0); }

// One walk of DrawTrackNotes; remembers the first event it draws.
class NoteWalk {
 public:
  explicit NoteWalk(const EventBytes& list) : list_(list) {}
  enum Result { kDone, kRestart };
  Result Run(uint32_t offset);

 private:
  void Remember(uint32_t offset);
  bool DrawNote(const uint8_t* e, uint32_t offset);
  const EventBytes& list_;
  bool remembered_ = false;
  bool fromCache_ = false;
  int32_t channel_ = -1;
};

void NoteWalk::Remember(uint32_t offset) {
  if (remembered_) return;
  remembered_ = true;
  SetPaneWord(kPaneCachedOffset, int32_t(offset));
  SetPaneWord(kPaneCachedListSize, int32_t(list_.size));
  SetPaneWord(kPaneCachedLeftTick, gTimelineLeftTick);
  CurrentPane().editorData[kPaneRedrawFlag] = 0;
}

// A note begun before the left tick that ends by it lies left of the view. At the audio levels
// the left tick is the left sample position's tick, rounded; a note ending within a tick of it
// is judged by the x of its end.
bool EndsLeftOfView(int64_t end) {
  if (gZoomLevel >= 0) return end <= gTimelineLeftTick;
  if (end < int64_t(gTimelineLeftTick) - 1) return true;
  return TimeToX(ClampToTickRange(end), gTimelineLeftTick) <= gTimelineFrame.originX;
}

// False when the walk is past the window's right edge.
bool NoteWalk::DrawNote(const uint8_t* e, uint32_t offset) {
  int64_t start = SeqEventTime(e);
  if (start < gTimelineLeftTick && EndsLeftOfView(start + GetNoteDuration(e))) return true;
  Remember(offset);
  channel_ = DrawNoteInChannelColor(e, channel_);
  if (gNoteRect.left > GetMainWindowRight() - kTimelineScrollBarWidth) return false;
  if (gShowVelocity) DrawVelocityStem(e);
  return true;
}

NoteWalk::Result NoteWalk::Run(uint32_t offset) {
  fromCache_ = offset != 0;
  for (uint32_t length; (length = RecordLength(list_, offset)) != 0; offset += length) {
    const uint8_t* e = list_.base + offset;
    switch (SeqEventKind(e)) {
      case kKindPolyPressure: case kKindController: case kKindProgram: case kKindChannelPressure:
      case kKindPitchBend:
        break;  // drawn in the lanes
      case kKindVariable:
        Remember(offset);
        DrawSysExLabel(ClampToTickRange(SeqEventTime(e)), e);
        break;
      case kKindSequenceRef:
        Remember(offset);
        DrawSequenceBlock(ClampToTickRange(SeqEventTime(e)), e, kGrayBlockPattern,
                          gChannelColors[kSequenceBlockColour]);
        break;
      case kKindNote:
        if (!DrawNote(e, offset)) return kDone;
        break;
      default:
        return fromCache_ ? kRestart : kDone;
    }
  }
  return kDone;
}

// Draws the events of one pass below limit at their time + gLoopDrawOffset; false when none.
bool DrawRepeatPass(const EventBytes& list, int64_t limit, int64_t drawEnd, bool* reachedEnd) {
  bool drew = false;
  int32_t channel = -1;
  for (uint32_t offset = 0, length; (length = RecordLength(list, offset)) != 0; offset += length) {
    const uint8_t* e = list.base + offset;
    int64_t t = SeqEventTime(e);
    if (t >= limit) break;
    if (t + gLoopDrawOffset >= drawEnd) {
      *reachedEnd = true;
      break;
    }
    uint8_t kind = SeqEventKind(e);
    int32_t at = int32_t(t + gLoopDrawOffset);
    if (kind == kKindNote) channel = DrawNoteInChannelColor(e, channel);
    else if (kind == kKindVariable) DrawSysExLabel(at, e);
    else if (kind == kKindSequenceRef) DrawSequenceBlock(at, e, kGrayBlockPattern, gGhostColor);
    else continue;
    drew = true;
  }
  return drew;
}

void UseGhostStyle(bool ghost) {
  gGhostDrawing = uint8_t(ghost);
  bool bent = IsBendDisplayOn();
  if (ghost) gNoteDrawProc = bent ? DrawBentNoteShaded : DrawGhostNote;
  else gNoteDrawProc = bent ? DrawBentNote : DrawNoteBox;
  if (ghost) RGBForeColor(&gGhostColor);
  else ForeColor(blackColor);
}

// Section i's start and end from the track's section list, false past its last entry.
bool SectionAt(Handle sections, int32_t i, uint32_t* start, uint32_t* end) {
  SectionFields f;
  if (!GetSectionFields(sections, i, &f)) return false;
  *start = f.start;
  *end = f.end;
  return true;
}

}  // namespace

int32_t GetNoteDrawEnd() {
  int32_t right = GetTimelineRightTick();
  if (TestLongestTrackFlag()) return right;  // the loop plays on past the song's end
  int64_t songEnd = gCurrentSong ? int64_t(ReadU32BE(gCurrentSong + kSongEndTick)) : 0;
  return songEnd > 0 ? int32_t(std::min<int64_t>(songEnd, right)) : right;
}

void DrawTrackNotes() {
  EventBytes list = CurrentTrackEvents();
  if (!list.base) return;
  uint32_t anchor = PaneAnchor(list);
  uint32_t start = anchor ? SeekFromAnchor(list, anchor, PaneWord(kPaneCachedLeftTick)) : 0;
  if (anchor == 0) ClearPaneCache();
  if (NoteWalk(list).Run(start) == NoteWalk::kRestart) {
    ClearPaneCache();
    NoteWalk(list).Run(0);
  }
}

void DrawLoopedTrackNotes() {
  EventBytes list = CurrentTrackEvents();
  int64_t length = gCurrentTrack ? int64_t(TrackEntryView(gCurrentTrack).TickLength()) - 1 : 0;
  if (!list.base || length < 1) return;
  int64_t drawEnd = GetNoteDrawEnd();
  int64_t offset = (gTimelineLeftTick / length) * length;
  bool reachedEnd = false;
  for (int32_t pass = 0; pass < kMaxRepeatPasses && !reachedEnd && offset < drawEnd; ++pass) {
    gLoopDrawOffset = int32_t(offset);
    UseGhostStyle(offset != 0);
    if (!DrawRepeatPass(list, length, drawEnd, &reachedEnd) && pass == 0) break;
    offset += length;
  }
  UseGhostStyle(false);
  gLoopDrawOffset = 0;
}

void DrawSectionedTrackNotes() {
  EventBytes list = CurrentTrackEvents();
  Handle sections = gCurrentTrack ? TrackEntryView(gCurrentTrack).SectionList() : Handle();
  if (!list.base) return;
  int64_t drawEnd = GetNoteDrawEnd();
  int32_t section = 0, channel = -1;
  uint32_t start = 0, end = 0;
  bool haveSection = sections && SectionAt(sections, 0, &start, &end);
  for (uint32_t offset = 0, length; (length = RecordLength(list, offset)) != 0; offset += length) {
    const uint8_t* e = list.base + offset;
    uint32_t t = SeqEventTime(e);
    if (t >= drawEnd) break;
    while (haveSection && t > end - 1 && end > 0) haveSection = SectionAt(sections, ++section, &start, &end);
    bool ghost = haveSection && t >= start && end > 0 && t <= end - 1;
    if (ghost != bool(gGhostDrawing) || offset == 0) {
      UseGhostStyle(ghost);
      channel = -1;
    }
    uint8_t kind = SeqEventKind(e);
    if (kind == kKindNote) channel = DrawNoteInChannelColor(e, channel);
    else if (kind == kKindVariable) DrawSysExLabel(int32_t(t), e);
    else if (kind == kKindSequenceRef)
      DrawSequenceBlock(int32_t(t), e, kGrayBlockPattern, ghost ? gGhostColor : gChannelColors[kSequenceBlockColour]);
  }
  UseGhostStyle(false);
}
