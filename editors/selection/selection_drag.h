// Dragging the main editor's selection: out of the window as promised files (one MIDI file for
// the MIDI panes, an audio file per audio pane), and back into the editor, where the drop moves
// the range in time or to another track of the same kind.
#pragma once

#include <cstdint>

#include "platform/drag/drag_manager.h"

// The editor's drag settings: with this bit a drag of the selection may leave the window.
constexpr uint16_t kDragSelectionOutBit = 0x4000;
extern uint16_t gEditorDragSettings;

constexpr FlavorType kPromisedFileFlavor = 'phfs';
constexpr FlavorType kPromisedFileSpecFlavor = 'fssP';
// The editor's own selection flavour.
constexpr FlavorType kEditorSelectionFlavor = 'DSeC';
constexpr OSType kMidiFileType = 'Midi';
constexpr OSType kAudioFileType = 'AIFF';
constexpr OSType kProgramCreator = 'VOZu';
// The promise: file type, creator, Finder flags (u16) and the promised flavour, big-endian.
constexpr int32_t kPromiseBytes = 14;

// The selection's region (global) over the selected panes in the selected time range; empty
// when nothing is selected.
void GetSelectionDragRegion(RgnHandle region);
// The drag of the selection from the last mouse point: -4 when the settings keep the
// selection in, userCanceledErr when the mouse did not move; else the drop's answer.
OSErr DragSelectionOut();
// One tracking step over the editor: scrolls when the pointer is left of the note area or
// right of the window less 15; answers the scroll step (0 none).
int32_t TrackEditorDrag(DragRef drag);
// True when a drag of flavor is timed by its drop position rather than by the snapped note
// time: with the drop timing switch on, any flavour but promised files; otherwise only the
// editor's own flavour, and only while the editor does not snap.
bool AcceptsDragFlavor(FlavorType flavor);
// The drop of the editor's own selection: the range moves by the pointer's move in time
// (its new start snapped to the grid unless AcceptsDragFlavor takes the drag's flavour), to
// the track of the pane under the drop when that is another of the same kind (audio or MIDI).
// dragNotAcceptedErr when neither changes (or the move could not run).
OSErr DropSelectionInEditor(DragRef drag);
// Waits n ticks; answers the tick count at the end.
uint32_t WaitTicks(uint32_t n);
