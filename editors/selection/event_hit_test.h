// What lies under the mouse in a pane of the main editor: notes and their velocity handles,
// the pitch row, and the pane area itself; and the note clicks that act on what was hit.
#pragma once

#include <cstdint>

// Hit flags (what to test) and results (what was hit).
enum : int16_t {
  kHitNotes = 0x01,
  kHitSequenceBlocks = 0x02,
  kHitSysExLabels = 0x04,
  kHitVelocityHandles = 0x08,
  kHitSections = 0x10,
  kHitActOnBlock = 0x20,
};
constexpr int16_t kNoteViewHitMask = 55;
constexpr int16_t kOtherViewHitMask = 16;
// The velocity handle reaches this far above a note's top.
constexpr int16_t kVelocityHandleHeight = 32;

// The last mouse point lies in the main editor window less its scroll bars, below the pane
// top margin.
bool IsMouseInPaneArea();
// The pane under the last mouse point made current for drawing (its track current, its
// frame set); false when no pane lies there.
bool SelectPaneAtMouse();
bool IsCurrentPaneDrumView();
// The tick the hit test looks at for the click x.
int32_t HitTestTime(int32_t clickX);
// 0 nothing, 1 note, 2 sequence block (*part: 2 start mark, 3 end mark, 1 body), 4
// system-exclusive label (its dialog has run), 8 velocity handle (a note in drum views), 16 a
// section marker (its loop dialog has run). The event hit stays in gHitEventOffset (bytes
// from its list's head), a note's rectangle in gNoteRect.
int16_t HitTestEditorEvents(int16_t flags, int16_t* part);
extern int32_t gHitEventOffset;
// True when a velocity handle is under the mouse outside drum views: the velocity drag takes
// the click then.
bool HandleNoteAreaClick();
// Calls visit for every note of the current track's list, in order, each record inside the
// list's size.
using NoteVisit = void (*)(uint8_t* note, void* context);
void ForEachCurrentTrackNote(NoteVisit visit, void* context);
// 1 when a note of that pitch starts at that tick in the current track.
int16_t FindNoteAtTickAndPitch(int32_t tick, int32_t pitch);
// The notes at tick get velocities so that the loudest has velocity; their differences stay
// (each clamped to 0..127).
void SetVelocityOfNotesAt(int32_t velocity, int32_t tick);
// The note under the mouse: a command-click without option and shift toggles its selection
// (one undoable step); a double-click on the same note, or a control-click, opens the note
// dialog (answered 2). Else 1 when a note was hit, 0 when none.
int16_t ClickOnNote(int16_t flags, uint32_t modifiers, bool doubleClick);
