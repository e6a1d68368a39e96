// The window layout: where each kind of window stands, which windows are open, the
// instrument window's settings and the program's view values; saved as 'BMID' 193
// "Windows" in the preferences resource file, and as the layout block that the preferences
// data fork and song documents carry.
//
// The window records do not exist yet, so the layout lives in gWindowLayout, which the
// window manager places its windows from and records them into. The placement rules are
// plain functions over rectangles.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kLayoutWindowKinds = 24;  // kinds 1..24
constexpr int32_t kViewValueCount = 12;
constexpr int32_t kInstrumentWindowSettingsSize = 64;
constexpr int32_t kInstrumentWindowSavedSize = 24;  // the part that is saved
constexpr int32_t kPaneTableSize = 704;             // 16 editor panes of 44 bytes

// Window kinds the placement treats specially.
constexpr int16_t kInfoPanelKind = 3;
constexpr int16_t kMainEditorKind = 4;
constexpr int16_t kMainWindowKind = 5;       // the track window, the song's main window
constexpr int16_t kInstrumentWindowKind = 6;
// The transport counter lives in the info panel: its stored size gives way to the current
// one (its width only with preference bit 2 set).
constexpr int16_t kTransportWindowKind = kInfoPanelKind;

// The song list's settings (window kind 2). Play modes: 0 each song alone, 1 (the first
// header button) and 2 (the second) the songs one after another.
constexpr uint8_t kSongListSingle = 0;
constexpr uint8_t kSongListChainOnce = 1;
constexpr uint8_t kSongListChainLoop = 2;
// Time column modes.
constexpr uint8_t kSongListNoTime = 0;
constexpr uint8_t kSongListDurations = 1;
constexpr uint8_t kSongListRemaining = 2;
constexpr uint8_t kSongListTimeModes = 3;
constexpr uint8_t kSongListShowTotal = 0x01;  // flags
constexpr uint8_t kSongListMaxPause = 200;    // seconds

struct SongListSettings {
  uint8_t playMode = kSongListSingle;
  uint8_t pause = 0;  // seconds between chained songs, 0..200
  uint8_t flags = 0;
  uint8_t timeMode = kSongListNoTime;
};

// The frame of a window kind and whether it is shown.
struct WindowLayoutState {
  Rect frame[kLayoutWindowKinds + 1] = {};  // global frames, kind k at [k]; [0] unused
  uint32_t openBits = 0;                    // bit k-1 set: the window of kind k is shown
  int16_t instrumentScroll = 0;
  uint8_t instrumentSettings[kInstrumentWindowSettingsSize] = {};
  uint16_t viewValues[kViewValueCount] = {};
  uint16_t currentView = 0;                 // the view value the layout block keeps
  uint32_t windowOrder = 0;                 // the second word of the open-window state
  uint8_t displayBlock[8] = {};             // kept as read
  Handle paneTable;                         // the editor panes' table as last read
  SongListSettings songList;                // kept in the preferences' layout block
  // What placement needs to know about the screen and the program.
  Rect screen = {0, 0, 768, 1024};
  int16_t infoPanelFixedHeight = 40;
  bool preferenceBit2 = false;              // the transport window keeps its stored width
  uint16_t displayOptions = 0;              // 0x200 hides the info panel, 0x400 the instruments
};

extern WindowLayoutState gWindowLayout;
// The window colours and related drawing values kept in the preferences data fork.
extern uint8_t gWindowColourBlock[96];

bool IsWindowKindOpen(int16_t kind);
// True for the info panel (kind 3) and the instrument window (kind 6) while the display
// options hide them.
bool IsWindowKindHiddenByDisplay(int16_t kind);
void SetWindowKindOpen(int16_t kind, bool open);

// --- placing a window ---------------------------------------------------------------

enum WindowPlacement : int32_t {
  kPlaceUnchanged = 0,       // the rectangle was the current frame: nothing happened
  kPlaceSizedThenMoved = 1,  // the window grew: sized first, moved after
  kPlaceMovedThenSized = 2,  // the window did not grow: moved first
};

// The frame a window of this kind gets from a stored rectangle, given its current frame:
// the main and transport windows keep their current size (see kTransportWindowKind), the
// info panel its fixed height plus 63, the main editor stays at least one pixel from the
// left edge, the size is at least the kind's minimum, and the window stays on the screen
// below a 22-pixel menu bar.
Rect ComputeWindowPlacement(int16_t kind, const Rect& stored, const Rect& current);
// Places the window of kind from a stored rectangle (kinds 1..24) and shows it; a changed
// window is asked to redraw.
WindowPlacement PlaceWindowFromRect(int16_t kind, const Rect& stored);
// Minimum height and width of a window kind.
void GetWindowMinimumSize(int16_t kind, int16_t* minHeight, int16_t* minWidth);

// --- 'BMID' 193 ---------------------------------------------------------------------

constexpr int16_t kWindowLayoutResId = 193;
constexpr int32_t kWindowLayoutResSize = 616;
constexpr uint16_t kWindowLayoutResVersion = 4;

// The 616-byte image of gWindowLayout, in a new handle (null when memory is short).
Handle BuildWindowLayoutResource();
// Stores it as 'BMID' 193 "Windows" in the preferences resource file.
OSErr SaveWindowLayout();
// Applies a 616-byte image: the first min(count, 24) kinds are placed or closed, then the
// instrument window's scroll value and settings and the view values are taken (and copied
// into the current song). An image too short to hold its fields is refused (paramErr).
OSErr ApplyWindowLayoutResource(Handle image);
// Reads 'BMID' 193 from the preferences resource file and applies it; nothing when the
// file cannot be opened or has no layout. flags bit 0: lay the scroll bars out again.
void RestoreWindowLayout(int32_t flags, int32_t arg);

// --- the layout block ---------------------------------------------------------------

// Result of a layout block that is none of the known forms (160, 600 or 608 bytes), or
// of a pane table that is not 704 bytes.
constexpr OSErr kBadLayoutErr = -2086;

constexpr int32_t kLayoutBlockSize = 608;
constexpr int32_t kLayoutBlock600 = 600;
constexpr int32_t kLayoutBlockOldest = 160;     // 16 rectangles and two 16-byte blocks
constexpr int32_t kLayoutInstrumentSettings = 512;  // 24 bytes
constexpr int32_t kLayoutOpenState = 576;           // u32 open-window bits, u32 window order
constexpr int32_t kLayoutDisplayBlock = 584;        // 8 bytes (16 in the oldest form)
constexpr int32_t kLayoutViewValue = 592;           // u16 the current view value
constexpr int32_t kLayoutPaneTable = 600;           // handle slot of the pane table
constexpr int32_t kLayoutPaneTableAlternate = 604;
constexpr int32_t kLayoutPanePresence600 = 584;     // the presence word of a 600-byte block

// The song list's settings: four bytes (play mode, pause, flags, time mode) in the unused
// stretch after the rectangles, zero in every older form of the block. Only the
// preferences' block carries them; a document's block leaves them alone.
constexpr int32_t kLayoutSongListSettings = 504;

// Rectangle of kind k (1..24) in a layout block, as top, left, bottom, right.
Rect GetLayoutRect(const uint8_t* block, int16_t kind);
void SetLayoutRect(uint8_t* block, int16_t kind, const Rect& r);

// A new 608-byte block holding gWindowLayout (the pane slot cleared).
Handle BuildLayoutBlock();
// Places the windows of kinds 1..24 from a 608-byte block (a kind whose bit is clear is
// closed; kinds 3 and 6 stay closed while the display options hide them) and takes its instrument window settings, window order, display block and view
// value.
void ApplyLayoutBlock(Handle block);
// Takes the song list's settings from the preferences' 608-byte block; values out of range
// fall back to their defaults (the pause is limited to 200).
void TakeSongListSettingsFromLayout(Handle block);
// Writes a block size-prefixed, and then paneTable (size-prefixed) when it is not null;
// the block's pane slot says whether it follows.
OSErr WriteLayoutSection(Handle block, Handle paneTable);
// Reads a block written so from the current stream: the oldest form is rebuilt and a
// 600-byte block grown to 608; the pane table follows when the block's presence word says
// so. On failure nothing is left allocated.
OSErr ReadLayoutSection(Handle* block, Handle* paneTable);
