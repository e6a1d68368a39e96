// Where the instrument window's strips are: one strip per shown instrument in display order,
// scrolled beside the label column, then after a one-strip gap the aux busses and the master.
// Every routine that places or hits a strip works on gCurrentInstrument.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kStripNameRowHeight = 12;

// n x strip width + the label column: the left edge of display position n.
int16_t InstrumentStripX(int32_t n);
// The number of instrument strips shown: the visible instruments, at most as many as the
// window leaves beside the busses and the master.
int32_t CountShownInstrumentStrips();
// The left x of an entry's strip; -1 when the entry takes no place (hidden, or scrolled out).
int16_t GetStripLeft(int32_t index);
// True when the entry's strip lies in the window.
bool IsStripShown(int32_t index);
// gScratchRect := element of the current strip, in window coordinates.
void ElementRect(int16_t element);
// gScratchRect := the current strip's whole rectangle (without its name).
void StripRect();
// gScratchRect := the current strip's name rectangle (odd display orders sit a line lower).
void StripNameRect();
// The rectangle of the current strip's fader thumb for a volume.
Rect FaderThumbRect(int32_t volume);
// Sets gCurrentInstrument from a window x; a point that names no strip leaves it.
void HitTestInstrumentStrip(int16_t h);
// Shows send n (0: the strips' own values). A negative n, or one beyond the sends a record
// holds, beeps and changes nothing.
bool SetInstrumentWindowPart(int32_t n);
// The strip's display order for the name stagger: its display number, or for an aux bus or
// the master its table index.
int32_t StripDisplayOrder(int32_t index);
