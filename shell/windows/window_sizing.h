// Sizing the program's windows: the single resize path with its snapping to whole rows, the
// size limits of each kind, the grow box, the zoom box, and the scroll-bar layout.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

// Geometry kept by the windows' owners and read here.
extern int16_t gTrackColumnWidth;     // the track window's name column
extern int16_t gSongListRowHeight;
// The song list's header above its rows.
constexpr int16_t kSongListHeaderHeight = 44;
extern int16_t gSongListWidth;
extern int16_t gEventListWidth;
extern int16_t gInstrumentStripWidth;
extern int16_t gInstrumentStripHeight;
extern int16_t gInstrumentsInUse;
extern int16_t gInfoPanelFullWidth;
extern int16_t gLayoutPaneCount;      // panes of the main editor
extern int16_t gTrackButtonHeight;
// The track window's scroll bars and the four small buttons at their ends.
extern ControlRef gTrackVScroll, gTrackHScroll;
extern ControlRef gTrackButtons[4];

// Per-kind steps that the windows' owners install: the scroll ranges after a resize, and
// the content layout after a size change.
using WindowKindProc = void (*)(AppWindow* w);
void SetWindowScrollerProc(int16_t kind, WindowKindProc proc);
void SetWindowRelayoutProc(int16_t kind, WindowKindProc proc);

// The open songs (the state dump's count).
int32_t CountSongListRows();
// The slots the song list shows, one row each: the slot count, never more than 16.
constexpr int32_t kSongListMaxSlots = 16;
int32_t CountSongListSlots();
// Height of the main editor's panes with their margins.
int16_t GetEditorLayoutHeight();
// Track window: 47 + whole rows; song list: 44 + whole rows. Other kinds unchanged.
int16_t SnapWindowHeight(int16_t kind, int16_t height);
// top = least height, left = least width, bottom = greatest height, right = greatest width.
void GetWindowSizeLimits(const AppWindow* w, Rect* limits);

// The single path by which the program sizes its windows.
void ResizeAppWindow(AppWindow* w, int16_t width, int16_t height, bool force);
void SetAppWindowSize(AppWindow* w, int16_t width, int16_t height);
void SetAppWindowHeight(AppWindow* w, int16_t height);
void SizeWindowNoUpdate(WindowRef window, int16_t width, int16_t height);
void SizeInstrumentWindowToContent();

void InvalScrollBarStrips(AppWindow* w);
void LayoutScrollBars(AppWindow* w);
void UpdateWindowScrollers(AppWindow* w);
void RelayoutWindowContent(AppWindow* w);
// The track window's vertical range from its visible rows.
void UpdateTrackWindowScrollers(AppWindow* w);
int16_t GetTrackWindowVisibleRows();

void HandleGrowClick(const EventRecord* event, AppWindow* w);
// Zooms out to the kind's ideal size or back to the standard state.
void ZoomAppWindow(AppWindow* w, int16_t part);
// Rows of gStandardLineHeight that fit below a header in the content rect in gScratchRect.
int16_t CountVisibleListRows(int16_t headerHeight);
