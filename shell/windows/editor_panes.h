// The main editor's panes: horizontal bands stacked from top to bottom, each showing one
// track in one view mode with its own vertical scroll bar along the right edge. What a
// pane draws belongs to the editors; this is the table, selection, layout and scrolling.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"

constexpr int16_t kMaxEditorPanes = 16;
constexpr int16_t kPaneScrollBarWidth = 16;
// The new-pane box at the left of the window's bottom strip; the horizontal scroll bar starts
// right of it.
constexpr int16_t kNewPaneBoxWidth = 16;
constexpr int16_t kPaneScrollMaximum = 132;
constexpr int16_t kLivePaneScrollProc = 386;
constexpr int16_t kPlainPaneScrollProc = 16;

enum : uint8_t {
  kPaneSharesHeight = 0x01,  // on the first pane: every pane shares the full height
  kPaneHidden = 0x02,
};
enum : int8_t { kPaneKindSpecial1 = 1, kPaneKindSpecial2 = 2, kPaneKindPluginBase = 5 };
enum : uint8_t { kRowViewMode = 1, kSpecialViewMode = 8, kMasterViewMode = 15, kRowViewMode2 = 16 };

// In memory only; the song files keep their own image of the table.
struct EditorPane {
  uint16_t top = 0;       // window coordinates; the next entry's top is this pane's bottom
  uint8_t track = 0;
  uint8_t viewMode = 0;   // 0..16
  uint8_t display = 255;
  uint8_t flags = 0;
  int8_t kind = 0;        // 1, 2 special views; 5 and above a plug-in view of slot kind - 5
  int16_t lane = 0;       // the controller lane shown
  ControlRef scrollBar = nullptr;
  uint8_t previousViewMode = 0;  // the mode before the last change
  uint16_t storedDivider = 0;    // the divider below the pane, kept while one pane fills the window
  uint8_t editorData[32] = {};  // the editors' own bytes
};

// The editors' bytes of a pane (editorData, big-endian): where the note drawing of the pane
// last started (the byte offset of its first drawn event, the list size and the left tick it
// was found for), and the redraw flag that makes the next drawing walk from the list head.
constexpr int32_t kPaneCachedOffset = 0;    // i32
constexpr int32_t kPaneCachedListSize = 4;  // i32
constexpr int32_t kPaneCachedLeftTick = 8;  // i32
constexpr int32_t kPaneRedrawFlag = 12;     // u8

// The table with one entry more than it holds: the entry after the last pane only keeps
// the bottom of the last pane in its top.
extern EditorPane gEditorPanes[kMaxEditorPanes + 1];
extern int16_t gEditorPaneCount;
extern int16_t gCurrentPaneIndex;
extern uint32_t gPaneVisitMask;
extern int16_t gCurrentPaneSlot;
extern int16_t gCurrentViewMode;
extern int16_t gCurrentPaneTop;
extern int16_t gCurrentLaneNumber;
extern uint8_t gEditorRedrawByte;
// The current pane's note offset (scroll value x octave height / 12) and the view it gives:
// origin = pane top - offset, bottom = origin + octave height. Set by UpdatePaneViewOrigin.
extern int16_t gPaneNoteOffset;
extern int16_t gPaneViewOrigin;
extern int16_t gPaneViewBottom;

// What the pane kinds refer to in the instrument table.
struct PaneSlotInfo {
  int16_t masterSlot = 254;  // the instrument slot of the master entry
  bool masterChainPresent = true;
};
extern PaneSlotInfo gPaneSlots;

// Makes the scroll bar (hidden, 0..132) in the main editor window and adds the pane; with
// relayout the panes are laid out and the window invalidated. memFullErr when the table is
// full or the control could not be made (nothing is added then).
OSErr CreateEditorPane(int16_t top, bool relayout, uint8_t track);
// Adds a pane and selects it; false (nothing changes) for a null control or a full table.
bool AddEditorPane(ControlRef control, int16_t top, uint8_t track);
void SelectEditorPaneIndex(int16_t n);
void SelectEditorPane(int16_t n);
int16_t GetCurrentPaneTrack();
void SelectCurrentPaneTrack();
int16_t GetPaneBottom(int16_t n);
// The content of pane n in window coordinates: from its divider line - 1 down to its bottom
// (not below the window bottom less 15; a hidden pane ends at its divider line), across the
// window less the scroll bar. Empty without the window or the pane.
void GetPaneContentRect(int16_t n, Rect* r);
void SetLastPaneBottom(int16_t y);
void EnsureEditorFitsPanes();
void LayoutEditorPanes();
// The panes' tops and scroll bars placed in the main editor as it stands (no resizing).
void PlaceEditorPanes();
void UpdatePaneScroller();
void UpdateAllPaneScrollers();
int16_t GetPaneScrollValue();
// The shown pane whose band (its top up to the next entry's top) holds the vertical
// position (window coordinates); -1 for none.
int16_t FindEditorPaneAt(int16_t v);
// The note offset and view origin of the current pane from its scroll value.
void UpdatePaneViewOrigin();
// The pane's scroll value becomes the track's centre row (byte 12; above 127 the middle of
// the range). Not in the row modes, nor in song mode 1 when the row lies past the maximum.
void ScrollPaneToTrackCentre();
// Every pane's scroll bar on (only while the main editor is the front program window, for
// panes that show notes or drums and are not hidden) or off; the current pane and track stay.
void SetEditorPaneScrollBarsActive(bool active);
// The panes' scroll bars and the main editor's horizontal scroll bar off.
void DeactivateEditorScrollBars();
// A new song's panes: the live table kept in the song first (interim: the stored form's
// writer is not built, so nothing is copied), then the song's stored table (when it has one)
// holds one cleared pane showing the current lane; the first live pane shows that lane too,
// with its display byte 255.
void ResetSongPaneTable();
// Disposes the scroll bars and empties the table (tests, and a new editor window).
void ClearEditorPanes();
