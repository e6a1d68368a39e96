// The mouse on the info panel's tempo display: the arrows step the shown tempo by 0.1 beat per
// minute while held, the slider sets whole beats per minute from 12 to 300. Both change the
// tempo factor only (the conductor map stays), and neither acts while the transport follows
// an external tempo. Main thread, in the panel's port. ClickTempoControls (tempo_display.h) is
// the panel's entry.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// Ticks before the first repeat of a held arrow, and between the repeats after it.
constexpr uint32_t kArrowFirstRepeatTicks = 20;
constexpr uint32_t kArrowRepeatTicks = 3;

// Sets the factor that shows tempo (tenths), redraws the display and applies the scaled
// tempo to the outputs and the clock, then re-times the markers; with full the engine's idle
// hook runs first and the markers' refresh is a full one.
void SetCounterPosition(int32_t tempo, int32_t full);
// The knob to position (0..gTempoSliderWidth): whole beats per minute from 12 (0) to 300 (the
// full width) through the tempo factor, drawn, sent and applied. Nothing when the knob stands
// there already or the transport follows an external tempo.
void SetTempoFromSlider(int16_t position);
// The press on arrow 29 (down) or 30 (up), followed while the button is held: one step at
// once, the next after 20 ticks, then every 3 while the mouse stays in the arrow. A step
// stops at 12.0 and 450.0.
void TrackTempoArrows(int16_t which);
