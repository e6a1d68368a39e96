#include "editors/note_entry/note_painting.h"

#include <algorithm>

#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/note_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "platform/system/host_time.h"
#include "shell/base/random_numbers.h"
#include "shell/drawing/row_metrics.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

NotePaintSettings gNotePaintSettings;

namespace {

constexpr int32_t kUndoKindInsert = 2;
constexpr int32_t kMajorScale[7] = {0, 2, 4, 5, 7, 9, 11};

struct PaintStroke {
  Point where;
  int32_t painted = 0;
  int32_t length = 0;
  int32_t time = 0;
  int32_t pitch = -1;
  int16_t lastY = 0;
  uint32_t lastNoteTicks = 0;
};

int32_t RoundLength(PaintStroke* s) {
  const NotePaintSettings& p = gNotePaintSettings;
  if ((p.flags & kPaintHoldFirstTime) && s->length > 0) return s->length;
  int32_t length = (p.flags & kPaintWeightedLengths) ? PickPaintNoteLength()
                                                      : RandomInRange(p.lengthMinimum, p.lengthMaximum);
  return std::max(length, 1);
}

int32_t RoundTime(const PaintStroke& s, Point mouse) {
  const NotePaintSettings& p = gNotePaintSettings;
  int32_t time = ClampToTickRange(int64_t(XToTime(mouse.h)) + RandomBelow(uint32_t(std::max(p.startSpread, 0))));
  if (p.flags & kPaintSnapTimes) time = SnapTimeToGrid(time, std::min(s.length, GetSnapGrid()), true, false, nullptr);
  return ClampToTickRange(int64_t(time) + RandomBelow(p.timeJitter));
}

// The pitch under the pointer; a random step on the scale unless the settings turn it off.
// The step is signed, so that painted notes spread both ways around the pointer.
int32_t RoundPitch(const PaintStroke& s, Point mouse) {
  const NotePaintSettings& p = gNotePaintSettings;
  int32_t pitch = PitchAtPaneY(mouse.v);
  if ((p.flags & kPaintWeightedLengths) && s.pitch >= 0 && mouse.v != s.lastY)
    pitch = s.pitch + std::clamp(pitch - s.pitch, -int32_t(p.maximumStep), int32_t(p.maximumStep));
  if (!(p.flags & kPaintNoScaleSteps) && p.maximumStep > 0)
    pitch = TransposeByScaleSteps(pitch, RandomSigned(p.maximumStep) / 2);
  return pitch;
}

void PaintOneNote(PaintStroke* s, Point mouse) {
  const NotePaintSettings& p = gNotePaintSettings;
  if (s->painted > 0 && TickCount() - s->lastNoteTicks < uint32_t(PaintDelayTicks())) return;
  s->length = RoundLength(s);
  int32_t time = RoundTime(*s, mouse);
  int32_t pitch = RoundPitch(*s, mouse);
  int32_t velocity = ClampMidiByte(RandomInRange(p.velocityMinimum, p.velocityMaximum));
  s->lastY = mouse.v;
  s->pitch = pitch;
  s->lastNoteTicks = TickCount();
  uint16_t duration = uint16_t(std::clamp<int32_t>(s->length, 1, kMaxNoteDuration));
  if (HasNoteStartingAt(time, pitch) || InsertNoteAt(time, pitch, velocity, duration) != noErr) return;
  ++s->painted;
  DrawNoteReadout(time, pitch, kNoReadoutEnd, velocity);
}

int32_t RunPainting(void* context) {
  auto* s = static_cast<PaintStroke*>(context);
  if (BeginTrackEdit() != noErr) return 1;
  SetCurrentUndoKind(kUndoKindInsert);
  gNotePaintSettings.state &= uint8_t(~kPaintFirstNotePending);
  PaintOneNote(s, s->where);
  while (StillDown()) {
    Point mouse;
    GetMouse(&mouse);
    PaintOneNote(s, mouse);
  }
  EndTrackEdit();
  return 0;
}

}  // namespace

int32_t PaintDelayTicks() { return (gNotePaintSettings.flags >> 1) & 0x30; }

int32_t RandomInRange(int32_t lo, int32_t hi) {
  if (hi < lo) std::swap(lo, hi);
  return lo + int32_t(RandomBelow(uint32_t(hi - lo)));
}

int32_t PickPaintNoteLength() {
  NotePaintSettings& p = gNotePaintSettings;
  p.state &= uint8_t(~kPaintStopRequested);
  int32_t r = int32_t(RandomBelow(100));
  for (const PaintLengthSlot& slot : p.lengths) {
    if (slot.weight > r) {
      int32_t code = slot.code >> 8;
      if (code < kNoteValueCount) return std::max(gNoteValueTicks[code], 1);
      p.state |= kPaintStopRequested;  // a code of the settings editor's own map
      return GetNoteValue();
    }
    r -= slot.weight;
  }
  return GetNoteValue();
}

int32_t TransposeByScaleSteps(int32_t pitch, int32_t steps) {
  int32_t octave = pitch / 12, within = pitch % 12;
  int32_t degree = 0;
  while (degree < 6 && kMajorScale[degree + 1] <= within) ++degree;
  int32_t index = octave * 7 + degree + steps;
  int32_t octaves = index >= 0 ? index / 7 : (index - 6) / 7;
  int32_t moved = octaves * 12 + kMajorScale[index - octaves * 7] + (within - kMajorScale[degree]);
  while (moved > 127) moved -= 12;
  while (moved < 0) moved += 12;
  return moved;
}

int32_t PaintNotes(Point where) {
  PaintStroke stroke;
  stroke.where = where;
  stroke.lastY = where.v;
  if (!RunUndoableEditForCurrentTrack(RunPainting, &stroke)) return 0;
  if (stroke.painted > 0) {
    SetSongModified();
    InvalidateEditorWindow();
    RedrawEventListWindow();
  }
  return stroke.painted;
}
