// The metrics that size rows in the track window, the list windows and the note views, and
// the note-view geometry that follows the note zoom.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

extern int16_t gStandardLineHeight;   // one text row of the list windows
extern int16_t gTrackRowHeight;       // 11..150
extern int16_t gTrackRowIconId;       // 'cicn' of the track rows: 131 below 31 pixels, else 132
extern int16_t gPaneTopMargin;
extern int16_t gNoteMetric;           // note-view step, round(3 x zoom)
extern int16_t gOctaveHeight;         // round(38 x zoom)
extern int16_t gNoteRowBoundary[12];  // top of each row within an octave
extern int16_t gNoteRowPosition[132]; // top of each note's row, note 131 first
extern int16_t gVerticalZoomIndex;
// The keyboard of the note panes' left column, one octave ('cicn'); null draws no keyboard.
extern CIconHandle gKeyboardIcon;
// Its base id: the octave at note zoom 0; level n (1..10) takes base x 10 + n - 1.
constexpr int16_t kKeyboardIconBaseId = 27;

constexpr int16_t kMinTrackRowHeight = 11;
constexpr int16_t kMaxTrackRowHeight = 150;

// 0..127.
int32_t ClampMidiByte(int32_t n);

// Level 0..10 (anything else is 0): scales 1, 1.25, ... 4 of the note view, and the keyboard
// picture of that level (the base picture when the level has none; a missing picture keeps the
// one loaded before).
void SetNoteZoom(int16_t level);
void SetNoteRowPosition(int16_t note);
// The note under a vertical position of the note view, 0..127.
int16_t GetPitchAtY(int16_t y);

// Row height, scroll bar minimums and row icon of the track window.
void SetTrackRowHeight(int16_t h);
// Only for 11 <= h <= 150 and a new height; the track window is then redrawn.
void ChangeTrackRowHeight(int16_t h);
