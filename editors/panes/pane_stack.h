// The stack of panes of the main editor window: each pane's content and header in order, the
// pane backgrounds, and the new-pane box below the last pane.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// Lines at the E-F and B-C steps, piano-key rows (initial), shaded black-key rows.
enum NoteRowStyle : uint8_t { kNoRowLines = 0, kOctaveRowLines = 1, kPianoRowLines = 2, kShadedRowLines = 3 };
extern uint8_t gNoteRowStyle;
extern uint8_t gNoteGridLines;  // beat lines in note views, initially on

// The y at which pane index's note rows begin (the timeline frame's top while it is drawn):
// pitch p's row lies gNoteRowPosition[p] below it. 0 for no such pane.
int16_t PaneRowsTop(int16_t index);
// Makes pane index current for drawing (no scrolling, no redraw request) and sets the
// timeline frame's top and bottom from its divider, scroll value and bottom.
void SelectPaneForDrawing(int16_t index);
// gScratchRect = the current pane's content.
void LoadCurrentPaneRect();
// gScratchRect = the main editor window's port bounds; pen and colours reset.
void BeginTimelineDraw();
void ShrinkSharedRectForScrollBars();
// gScratchRect meets the port's visible region.
bool IsSharedRectVisible();

void DrawPaneContent(int16_t index, int16_t currentIndex, bool withLeftColumn);
void DrawAllPanes(int16_t currentIndex, bool withLeftColumn);
void DrawPaneBackground(int16_t index);
void DrawAllPaneBackgrounds();
// The new-pane box at the left end of the bottom scroll-bar strip (gScratchRect is used).
void GetNewPaneBoxRect(Rect* box);
void DrawNewPaneBox();
// Left of the origin x: the keyboard, drum names, a lane scale or the audio column.
void DrawPaneLeftColumn();
// What draws a data lane's scale labels into the left column (clipped to it); none: nothing.
using LaneScaleColumnProc = void (*)();
void SetLaneScaleColumnProc(LaneScaleColumnProc proc);
