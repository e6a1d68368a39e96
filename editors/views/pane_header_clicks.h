// What a click in a pane's header strip does: selecting panes, dragging the divider above a
// pane or the drum column's edge, removing and collapsing panes, the view-mode and lane
// pop-ups, the insert menu, the length field and the toggle columns (record, mute, solo, play
// switch) of the pane's track or instrument row.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/quickdraw_types.h"

enum PaneHeaderHit : int16_t {
  kHeaderHitContent = 0,       // not in a header: the pane content
  kHeaderHitDivider = 1,       // the header outside every field
  kHeaderHitRemove = 2,        // the close box
  kHeaderHitLane = 3,          // the title: the lane or sub-mode field
  kHeaderHitViewMode = 4,
  kHeaderHitOutput = 5,
  kHeaderHitRecord = 6,        // 6..9: the toggle columns
  kHeaderHitMute = 7,
  kHeaderHitSolo = 8,
  kHeaderHitPlaySwitch = 9,
  kHeaderHitLength = 10,       // not in the tempo view
  kHeaderHitCollapse = 11,
  kHeaderHitInsert = 12,
  kHeaderHitDrumDivider = 13,  // drum views only
  kHeaderHitContextMenu = 99,  // a contextual-menu click anywhere in a header
};

// The drum column's width is dragged between these (pixels).
constexpr int16_t kMinDrumColumnWidth = 28;
constexpr int16_t kMaxDrumColumnWidth = 255;

// The hit code of a window point; *pane takes the pane whose header (or content) it is, -1
// for none. event may be null (no contextual-menu click).
int16_t HitPaneHeader(Point where, const EventRecord* event, int16_t* pane);
// True when the click is for the content (the caller goes on to the tools), false when it
// was handled here.
bool HandlePaneHeaderClick(Point where, EventRecord* event);
// Runs a toggle column's procedure for pane: a track pane (outside the tempo view) runs
// trackProc with flag, an instrument row runs rowProc with the instrument index set to its
// entry and redraws the columns. The pane that was current is current again afterwards.
void RunPaneColumnAction(void (*trackProc)(bool), void (*rowProc)(), int16_t pane, bool flag);
// The drum column's width from a pointer x (kept when outside 28..255); the song's width
// byte takes it and a change marks the song modified.
void SetDrumColumnWidthFromPointer(int16_t x);
// Installs the header click as the editor's pane-header route.
void InstallPaneHeaderClicks();
