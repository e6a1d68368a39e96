// One event of a pane drawn at a time: note boxes on their pitch rows (plain, selected, in
// the ghost style of repeats), velocity stems, and the colours notes are drawn in.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"
#include "song/model/track_selection.h"

constexpr int16_t kLowestPitchRow = 0;
constexpr int16_t kHighestPitchRow = 131;
constexpr int16_t kMinNoteWidth = 3;
// gDrawPrefs bit: every note in one colour (entry 0 plain, entry 1 selected).
constexpr uint16_t kDrawPrefsOneNoteColour = 0x2000;
constexpr int32_t kPlainNoteColour = 0;
constexpr int32_t kSelectedNoteColour = 1;
constexpr int32_t kSequenceBlockColour = 2;

using NoteDrawProc = void (*)(const uint8_t* event);

extern Rect gNoteRect;              // the note last measured
extern NoteDrawProc gNoteDrawProc;  // draws one note in the current pass
extern uint8_t gGhostDrawing;       // a repeat or section pass runs
extern int32_t gLoopDrawOffset;     // ticks added to event times while repeats are drawn
extern RGBColor gChannelColors[16];
extern RGBColor gGhostColor;
extern uint8_t gShowVelocity;
extern uint8_t gShowSysExLabels;

// y of the top of a pitch's row in the current pane (pitches 0..131; others are held there).
int16_t PitchRowY(int32_t pitch);
// The pitch (0..127) of the row at y in the current pane.
int16_t PitchAtY(int32_t y);
// IsCurrentTrackSelected (song/model/track_selection.h) tells whether its selected events show
// as selected.
// gNoteRect of a note: its row, and its start and end at the loop offset, clamped; at least
// three pixels wide.
void ComputeNoteRect(const uint8_t* event);
void DrawNoteBox(const uint8_t* event);
void DrawGhostNote(const uint8_t* event);
// A stem from the note's top, (velocity & 0x7F) / 4 pixels tall, two pixels wide.
void DrawVelocityStem(const uint8_t* event);
// How far a stem of the velocity rises above its note: (velocity & 0x7F) / 4.
int16_t VelocityStemHeight(int32_t velocity);
// The channel's colour when notes are coloured by channel on a colour screen outside a ghost
// pass and the channel changed, then gNoteDrawProc; answers the channel in force.
int32_t DrawNoteInChannelColor(const uint8_t* event, int32_t lastChannel);
// The foreground for a selected or plain event when notes are drawn in one colour.
void SetOneColourFore(bool selected);
bool AreNotesInOneColour();
// Stores the velocity display and redraws the editor when it changed.
void SetShowVelocity(bool show);
