#include "editing/edit_commands.h"

#include "editing/cut_command.h"
#include "editing/edit_context.h"
#include "editing/edit_window_hooks.h"
#include "editing/event_clipboard.h"
#include "editing/insert_remove_time.h"
#include "editing/paste.h"
#include "editing/select_all.h"
#include "editing/time_range_clear.h"
#include "editing/track_commands.h"
#include "shell/base/error_report.h"
#include "shell/base/modifier_keys.h"
#include "shell/windows/app_windows.h"
#include "song/documents/playback_reset.h"
#include "song/events/utility_event_selection.h"
#include "song/model/sequence_references.h"
#include "song/model/track_iterators.h"
#include "song/model/track_sections.h"
#include "song/events/time_selection.h"
#include "song/undo/undo_steps.h"
#include "editors/automation/automation_playback.h"
#include "editors/timeline/click_state.h"
#include "song/model/song_context.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"

namespace {

enum : int16_t {
  kUndoItem = 1,
  kRedoItem = 2,
  kCutItem = 4,
  kCopyItem = 5,
  kDuplicateItem = 6,
  kPasteItem = 7,
  kClearItem = 8,
  kDeleteTracksItem = 9,
  kExpandReferencesItem = 16,
  kMergeItem = 17,
  kCopyToNewTrackItem = 18,
  kExtractItem = 19,
  kRemoveTimeItem = 20,
  kInsertTimeItem = 21,
  kSelectAllItem = 23,
  kSelectionRangeItem = 24,
};

// The text window's commands for Cut, Copy, Paste and Clear.
enum : uint32_t { kTextClear = 103, kTextCut = 105, kTextCopy = 106, kTextPaste = 107, kTextOther = 0 };

void ReportIfFailed(OSErr err) {
  if (err != noErr) ReportError(err);
}

bool IsUndoOrRedo(int16_t item) { return item == kUndoItem || item == kRedoItem; }

// With the jukebox in front only its own delete and select-all reach it, besides Undo and Redo.
bool JukeboxTakes(int16_t item) { return IsUndoOrRedo(item) || item == kClearItem || item == kSelectAllItem; }

// The notepad's text view takes every item while the notepad is in front.
bool NotepadTakesItem() {
  if (GetFrontWindowKind() != kNotepadKind) return false;
  AppWindow* notepad = GetWindowForKind(kNotepadKind);
  return notepad != nullptr && notepad->window != nullptr;
}

uint32_t TextWindowCommandFor(int16_t item) {
  switch (item) {
    case kCutItem: return kTextCut;
    case kCopyItem: return kTextCopy;
    case kPasteItem: return kTextPaste;
    case kClearItem: return kTextClear;
    default: return kTextOther;
  }
}

// The racks' lists may have changed with the tracks: the playing channels take them up.
void RunUndoItem(int16_t item) {
  if (item == kUndoItem && CanUndo()) ReportIfFailed(UndoLastEdit());
  if (item == kRedoItem && CanRedo()) ReportIfFailed(RedoEdit());
  RefreshSongAutomationPlayback();
}

void RunPaste(int32_t merge, int16_t undoKind) { ReportIfFailed(PasteFromClipboard(0, merge, undoKind, nullptr)); }

// The items of the Edit menu's table; items 3, 10..15 and 22 do nothing.
void RunEditItem(int16_t item) {
  switch (item) {
    case kUndoItem:
    case kRedoItem: RunUndoItem(item); break;
    case kCutItem: CutSelection(); break;
    case kCopyItem: CopySelection(); break;
    case kDuplicateItem: DuplicateSelection(); break;
    case kPasteItem: RunPaste(0, kUndoKindPaste); break;
    case kClearItem: ClearSelection(); break;
    case kDeleteTracksItem: DeleteSelectedTracks(); break;
    case kExpandReferencesItem: ExpandReferencesInSelection(); break;
    case kMergeItem: RunPaste(1, kUndoKindMerge); break;
    case kCopyToNewTrackItem: CopySelectionToNewTrack(IsOptionModifierDown()); break;
    case kExtractItem: break;  // Interim: the extract-by-criteria dialog is not built.
    case kRemoveTimeItem: RemoveTime(IsEditorContext(), IsOptionModifierDown(), kUndoKindRemoveTime); break;
    case kInsertTimeItem: InsertTime(IsEditorContext()); break;
    case kSelectAllItem: SelectAllInContext(); break;
    case kSelectionRangeItem: break;  // Interim: the selection-range dialog is not built.
    default: break;
  }
}

}  // namespace

OSStatus DoEditMenuItem(int16_t item) {
  bool notepad = NotepadTakesItem();
  SetEditContextKind();
  if (notepad) {
    SetSongModified();
    return kEditItemForTextView;
  }
  if (gEditContextKind == kContextWindow21 && !IsUndoOrRedo(item)) return noErr;
  if (gEditContextKind == kContextJukebox && !JukeboxTakes(item)) return noErr;
  if (gEditContextKind == kContextWindow16 && !IsUndoOrRedo(item)) {
    SendTextWindowCommand(TextWindowCommandFor(item));
    return noErr;
  }
  RunEditItem(item);
  FinishEditCommand();
  return noErr;
}

namespace {

// The room behind a section that its repeats covered: the track's own events there never
// played, and the unrolled copies take their place.
void ClearUnrollRoom(uint32_t at, uint32_t to) {
  TimeSelection saved = gTimeSelection;
  SetTimeRange(at, to);
  ClearRequest request;
  ClearTimeRangeInTrack(&request);
  gTimeSelection = saved;
}

int32_t UnrollTrack(void*) {
  UnrollSections(ClearUnrollRoom, true);
  return 0;
}

// Track operation 3: the sections of every selected track with data become plain events, with
// every note in range, as one undoable step.
int32_t UnrollSelectedTracks(void*) {
  SetCurrentUndoKind(kUndoKindEdit);
  uint8_t low = gFilterLowNote, high = gFilterHighNote;
  SavedEventFilters filters = SaveEventFilters();
  gFilterLowNote = 0;
  gFilterHighNote = 127;
  gCopyFilterProc = AcceptAllEvents;
  ForEachSelectedTrackWithData(UnrollTrack, nullptr);
  RestoreEventFilters(filters);
  gFilterLowNote = low;
  gFilterHighNote = high;
  RedrawAll(0);
  return 1;
}

}  // namespace

void DoTrackOpsMenuItem(int16_t item) {
  ResetPlaybackState(0);
  SetEditContextKind();
  switch (item) {
    case 1: ExpandSequenceReferences(); break;
    case 2: break;  // Interim: adding events to the selected tracks is not built.
    case 3: RunUndoableEditOverAllTracks(UnrollSelectedTracks); break;
    case 4: SplitSelectedTracksByChannel(); break;
    default: break;
  }
  FinishEditCommand();
}

void HandleMenu69(int16_t item) { DoTrackOpsMenuItem(item); }

bool RequireTimeSelection() {
  if (HasTimeSelection()) return true;
  ReportAppErrorText(kNoTimeSelectionText);
  return false;
}

void RunRfilterDialog() {}
void RunRpsetDialog() {}
void RunOptions18Dialog() {}
