// Running an edit as an undo step: the state the edit may change is kept in the next record
// of the undo ring before the edit is called, so that every editor gets undo through one call.
//
// A step keeps the current song's header and lists and every selected track (by track number,
// with copies of all their handles and child sequences). An edit that adds or removes tracks
// must run with a selection that includes the numbers it adds or removes; an edit that adds,
// removes or rescales whole songs runs through RunUndoableSongTableEdit.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

using UndoableEdit = int32_t (*)(void* context);
// Fills a step's extra state block when a step asks for it (keepExtra); may return 0.
using UndoExtraStateProc = Handle (*)();

extern UndoableEdit gStoredUndoableEdit;
extern UndoExtraStateProc gUndoExtraStateProc;

// 1 when edit ran (also for a null edit, which does nothing), 0 when the step could not be
// kept: the undo history is then reset, the error text shown and edit is not called.
int32_t BeginUndoableStep(void* context, UndoableEdit edit, int32_t keepExtra);
int32_t RunUndoableEdit(UndoableEdit edit, void* context = nullptr);
// The step runs with scope (16 bytes) as the track selection; when it ran, scope is also
// stored in the step's song copy and in the current song's selection field.
int32_t RunUndoableEditInScope(UndoableEdit edit, const uint8_t* scope, void* context = nullptr);
int32_t RunUndoableEditForCurrentTrack(UndoableEdit edit, void* context = nullptr);
// Every track number in scope; -108 when the step could not be kept, else 0.
OSErr RunUndoableEditClearingScope(UndoableEdit edit, void* context = nullptr);
// The same for an edit that may add, fill or remove any track, where the song and the step
// keep the track selection the song held before (Undo gives the song back exactly).
OSErr RunUndoableEditOverAllTracks(UndoableEdit edit, void* context = nullptr);
// Keeps the time selection across the step and stores it in the step's song copy.
int32_t RunUndoableEditWithTimeSelection(UndoableEdit edit, int32_t keepExtra,
                                         void* context = nullptr);
int32_t RunUndoableTimeSelectionEdit(UndoableEdit edit, void* context = nullptr);
// For edits that add, remove or rescale whole songs: every open song is copied whole.
int32_t RunUndoableSongTableEdit(UndoableEdit edit, int32_t storeSelection,
                                 void* context = nullptr);
int32_t RunStoredUndoableEdit();

// The track numbers of the current song's entries in order (255 for an unnumbered entry);
// -1 when there are more than max entries.
int32_t CaptureEntryOrder(uint8_t* order, int32_t max);
