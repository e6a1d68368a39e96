#include "editing/transforms/transpose_apply.h"

#include "editing/event_cursor.h"
#include "editing/note_follow.h"
#include "editing/transforms/note_maps.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/transform_menu.h"
#include "editors/note_entry/note_readout.h"
#include "shell/base/error_report.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_filter_slots.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_drum_map.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_iterators.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

ChangedNote gFirstChangedNote;

namespace {

int32_t MapNote(int32_t note) { return gNoteMap[note & 0x7F]; }

// One event of the selection: a note through the map, poly pressure following its note.
int32_t MapEvent(uint8_t* e, void*) {
  uint32_t tick = SeqEventTime(e);
  if (gEventCommand != kKindNote) {
    FollowTransposedNote(MapNote, tick);
    return 0;
  }
  if (!EditFilterTakesEvent()) return 0;
  uint8_t old = e[kEventData1] & 0x7F;
  uint8_t mapped = uint8_t(FoldNoteToMidiRange(gNoteMap[old]));
  if (mapped != old && gFirstChangedNote.tick == 0) gFirstChangedNote = {tick, mapped, e[kEventData2] & 0x7F};
  RecordNoteMapping(tick, GetNoteDuration(e), old, mapped);
  e[kEventData1] = mapped;
  return 0;
}

int32_t MapTrackNotes(void*) { return WalkTransformRange(MapEvent, nullptr); }

// A track with data but no event list (audio alone) cannot take the map.
int32_t TransposeTrack(void*) {
  if (!GetCurrentTrackEventList()) {
    gRepeatTransposition.flags |= kTransposeRefused;
    return 0;
  }
  MapTrackNotes(nullptr);
  ApplyToChildSequences(MapTrackNotes, nullptr);
  return 0;
}

int32_t TransposeSelectedTracks(void*) {
  SetCurrentUndoKind(kUndoKindTranspose);
  SetSongModified();
  ForEachSelectedTrackWithData(TransposeTrack, nullptr);
  return 0;
}

int32_t g_applied = 0;

void RunTransposeStep(void*) { g_applied = RunUndoableEdit(TransposeSelectedTracks); }

void ReportAndRedraw() {
  if (gRepeatTransposition.flags & kTransposeRefused) ReportAppErrorText(kNothingMappedText);
  RedrawAll(0);
}

struct InversionStep {
  bool invert;
  bool retrograde;
};

int32_t InvertOrReverseTrack(void* context) {
  const auto* step = static_cast<const InversionStep*>(context);
  if (!GetCurrentTrackEventList()) {
    gRepeatTransposition.flags |= kTransposeRefused;
    return 0;
  }
  if (step->invert) MapTrackNotes(nullptr);
  if (step->retrograde && BeginTrackEdit() == noErr) {
    RetrogradeRange(gTimeSelection.start.tick, gTimeSelection.end.tick);
    EndTrackEdit();
  }
  return 0;
}

int32_t InvertSelectedTracks(void* context) {
  SetCurrentUndoKind(kUndoKindInvertRetrograde);
  SetSongModified();
  ForEachSelectedTrackWithData(InvertOrReverseTrack, context);
  return 0;
}

void RunInversionStep(void* context) { g_applied = RunUndoableEdit(InvertSelectedTracks, context); }

}  // namespace

int32_t ApplyTranspose() {
  gRepeatTransposition.flags &= uint16_t(~kTransposeRefused);
  gFirstChangedNote = {};
  g_applied = 0;
  RunWithNoteFollowTable(RunTransposeStep, nullptr);
  ReportAndRedraw();
  return g_applied;
}

void ShiftNotesBySemitones(int32_t n) {
  const uint8_t* drumMap = gCurrentTrack ? GetTrackDrumMap(gCurrentTrack) : nullptr;
  if (drumMap && (gCurrentViewMode == 1 || gCurrentViewMode == 16)) BuildDrumRowShiftMap(gNoteMap, drumMap, n);
  else BuildSemitoneShiftMap(gNoteMap, n);
  if (ApplyTranspose() && gFirstChangedNote.tick != 0)
    DrawNoteReadout(int32_t(gFirstChangedNote.tick), gFirstChangedNote.note, kNoReadoutEnd,
                    gFirstChangedNote.velocity);
}

int32_t RunInversionRetrograde() {
  uint16_t kept = gRepeatTransposition.flags;
  gRepeatTransposition.flags = uint16_t((kept | kTransposeSnapToScale) & ~kTransposeRefused);
  ScaleSteps scale = LoadScaleSteps(gTransposeChoices.stepScale, gTransposeChoices.stepKey - 1);
  BuildInversionMap(gNoteMap, gRepeatTransposition.sourceNote, (kept & kTransposeChromatic) != 0, scale);
  InversionStep step{(gInversionChoice & kInversionInvert) != 0, (gInversionChoice & kInversionRetrograde) != 0};
  gFirstChangedNote = {};
  g_applied = 0;
  RunWithNoteFollowTable(RunInversionStep, &step);
  ReportAndRedraw();
  gRepeatTransposition.flags = kept;
  return g_applied;
}
