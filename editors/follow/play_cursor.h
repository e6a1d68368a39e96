// The main editor's play cursor: one vertical line per pane at the song position, moved by
// the idle pass while the song plays, and the page-by-page following of the position.
#pragma once

#include <cstdint>

// The editors' bytes of a pane (EditorPane::editorData): the x at which the pane's play
// cursor was last drawn (i16, 0 = none) and the index of the section last shown there.
constexpr int32_t kPaneCursorX = 16;
constexpr int32_t kPaneSectionShown = 18;

int16_t GetPaneCursorX(int16_t pane);
// The song position the panes follow (ticks from 1): the clock's while it plays, else the
// locate point.
uint32_t GetPanePlayPosition();
// gTimelineLeftTick <= tick <= GetTimelineRightTick().
bool IsTickVisible(int32_t tick);
// The view's left edge moves to tick (never past the song end) and the editor is redrawn.
void ScrollToShowTick(int32_t tick);
// The main editor scrolls to show the song position.
void ShowLocatePosition();
// Moves pane's cursor to the play position (drawn in the current port, which must be the
// main editor's); the pane that started the walk may page the view. True when it moved.
bool UpdatePlayCursor(int16_t pane, int16_t startedBy);
// The main editor's refresh routine: every pane's cursor; true when any moved.
bool RefreshMainEditorCursors();
// Erases every pane's cursor (the stored x becomes 0) in the main editor's port.
void ErasePlayCursors();
// After the panes were drawn afresh (in the main editor's port): the cursors stand again
// where they were drawn, so that the next move erases what it drew.
void RestorePlayCursors();
