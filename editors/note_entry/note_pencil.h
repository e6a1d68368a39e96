// The note pencil of the main editor: a click on empty grid draws a note of the note value at
// the snapped time and the pitch under the pointer (and one at every grid step the pointer
// passes while the button is held); a click on a note erases it. Each click is one undoable
// step.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"

constexpr uint8_t kDefaultEntryVelocity = 75;
constexpr int16_t kDefaultNoteLengthPercent = 100;
constexpr uint16_t kMaxNoteDuration = 0xFFFF;
// Holding the button on a note drawn there raises its velocity after this many system ticks,
// by one more for every further kHeldTicksPerVelocityStep of the hold.
constexpr uint32_t kHoldBeforeVelocityRaise = 60;
constexpr uint32_t kHeldTicksPerVelocityStep = 16;

// The note-entry velocity (the tool bar's velocity field), the length percentage of entered
// notes (1..200) and the channel new notes take.
extern uint8_t gNoteEntryVelocity;
extern int16_t gNoteLengthPercent;
extern uint8_t gNoteEntryChannel;
// The channel new notes take (its low four bits).
void SetCurrentChannel(int32_t channel);

// The digit keys of the on-screen keyboard: velocity ClampMidiByte (MulDivRound (127, k, 9)
// + 4) for k 0..9.
void SetVelocityFromDigit(int16_t k);
// The byte offset in the current track's list of the last note of the pitch row under the
// window point whose drawn box spans its x in the current pane (SelectPaneForDrawing first),
// or -1.
int32_t FindNoteAtPoint(Point where);
// The pitch of the note row under a window y of the current pane, 0..127.
int16_t PitchAtPaneY(int16_t y);
// The length a note entered at time takes: SwingOffset x the length percentage / 100, held
// in 1..kMaxNoteDuration.
uint16_t EnteredNoteLength(int32_t time);
// The same for a given swing: SwingOffset (time, swing) x the length percentage / 100.
uint16_t NoteLengthWithSwing(int32_t time, int32_t swing);
bool HasNoteStartingAt(int32_t time, int32_t pitch);
// The velocity raise of one round after the button was held heldTicks system ticks: 0 up to
// kHoldBeforeVelocityRaise, then (held - 60) / 16, at least 1.
int32_t HeldVelocityRaise(uint32_t heldTicks);
// Inside the track-edit brackets: a note of the entry channel into the current track (its
// list made when it has none), the track made long enough for it. 0 or the memory error.
OSErr InsertNoteAt(int32_t time, int32_t pitch, int32_t velocity, uint16_t length);
// The pencil at the window point in the current pane. With resize on an existing note is not
// erased. While the button stays on the step of a note of the row (drawn by this click, or
// there already in resize mode), each system tick raises its velocity by HeldVelocityRaise.
// Answers 1 when the song changed.
int32_t DrawOrEraseNotesAt(Point where, bool resize);
