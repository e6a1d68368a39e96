// The time selection a click or a drag makes in the main editor: snapped to beats or bars when
// the click was in the ruler, extended from a pivot with shift, and the pitch range that a
// click in a note or drum view picks with it.
#pragma once

#include <cstdint>

// With gClickInRuler: down to the beat (or bar, or labelled bar) the tick lies in; else tick.
int32_t SnapSelectionStart(int32_t tick);
// With gClickInRuler: up to the next beat (or bar, or labelled bar) unless already on one.
int32_t SnapSelectionEnd(int32_t tick);
// The range between two ticks in order, snapped; the end is kept as it is when extend is set
// and b is not before a.
void SetSelectionFromDrag(int32_t a, int32_t b, bool extend);
// A click at tick: without extend the snapped span around it; with extend the end moves when
// the tick lies after the pivot (the selection's end when the tick is outside it, its middle
// when inside), else the start. Answers the resulting tick.
int32_t ClickTimeSelection(int32_t tick, bool extend);
// ClickTimeSelection, then in note and drum views in pointer mode 3 outside the ruler the
// pitch range: [pitch, pitch] (only with exactly one track selected), or grown to the pitch
// with extend. 0 when the pitch range could not be set.
int16_t BeginEditorSelection(int32_t tick, int16_t pitch, bool extend, bool noteOrDrumView);
