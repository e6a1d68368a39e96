// The edit context: the front window reduced to a kind 0..15, recomputed at the start of every
// Edit, Transform and track-operations command, and the predicates the operations read.
#pragma once

#include <cstdint>

enum : uint32_t {
  kContextEditorNotes = 0,
  kContextTrackWindow = 2,
  kContextSongList = 3,
  kContextEditorLane = 4,
  kContextEventList = 5,
  kContextNotepad = 6,
  kContextConductorList = 7,
  kContextRemote = 8,
  kContextInstruments = 9,
  kContextMarkers = 10,
  kContextWindow14 = 11,
  kContextWindow15 = 12,
  kContextWindow16 = 13,
  kContextWindow21 = 14,
  kContextJukebox = 15,
};

// Undo kinds of the editing operations (they pick the Undo and Redo item texts).
enum : int16_t {
  kUndoKindClear = 2,
  kUndoKindPaste = 4,
  kUndoKindMerge = 5,
  kUndoKindDuration = 8,
  kUndoKindExtract = 9,
  kUndoKindDeleteTracks = 7,
  kUndoKindRemoveTime = 7,
  kUndoKindInsertTime = 11,
  kUndoKindCut = 13,
  kUndoKindChangeChannel = 17,
  kUndoKindTrackMove = 25,
  kUndoKindCopy = 50,
  kUndoKindDuplicate = 60,
};

extern uint32_t gEditContextKind;

// Recomputes gEditContextKind from the front window and installs the context's filters.
int32_t SetEditContextKind();
bool IsEditorContext();
bool IsConductorContext();
bool IsPluginPaneContext();
bool IsAudioAreaContext();
bool IsVelocityLaneContext();
// In the editor contexts: the lowest view mode among the current track's visible panes; a
// note or drum view makes the context 0 and the current view mode that mode.
void ResetEditorViewForEdit();
// Marks the editor panes dirty, re-synchronises the engine and rebuilds the track-number map.
void FinishEditCommand();
