// The instrument window's redraw range: the strips (and ticks) that plug-in callbacks and the
// mixer's fader drags ask to be redrawn, gathered until one redraw.
#pragma once

#include <cstdint>

struct InstrumentRedrawRange {
  int32_t firstStrip = 32767;
  int32_t lastStrip = -1;
  int32_t firstTick = 0x7FFFFFFF;
  int32_t lastTick = -1;
  // Empties the range.
  void Reset();
  // Widens the range to a strip.
  void Add(int32_t strip);
  // Redraws the strips of the range in the instrument window, then empties it.
  void Redraw();
};
extern InstrumentRedrawRange gInstrumentRedrawRange;
