// A click in the strip below the main editor's last pane adds a pane: for a track that no
// pane shows yet, with the panes' heights shared out again and their notes centred.
#pragma once

#include <cstdint>

constexpr int16_t kTrackNumberCount = 48;
constexpr short kFullPaneTableBeep = 5;

// The first track number no pane shows, searched upward from one above the highest shown and
// then from 0; -1 when the panes show all 48.
int16_t FindFreeTrackForPane();
// Adds a pane at y for track (a negative track: FindFreeTrackForPane). With 16 panes, or
// no free track, it only beeps. Unless keepHeights, the heights are shared out again.
// Answers whether a pane was added.
bool AddEditorPaneAtClick(int16_t y, int16_t track, bool keepHeights);
// Pane i of n gets the top T + A x i / n (rounded), T below the pane area's title row and A the
// height down to the scroll bar; then each track pane scrolls so that the notes in the visible
// time are centred, its scroll value held in the bar's range.
void DistributePaneHeights();
// The first visible row that centres the pitches lowest..highest in rows visible rows,
// within 0..maximum.
int16_t CentredFirstRow(int32_t lowest, int32_t highest, int32_t rows, int16_t maximum);
