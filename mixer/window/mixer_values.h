// The arithmetic of the mixer's controls: rack fader drags and their link, paging through a
// row's parameters, boolean parameters, and the output-bus layout a channel
// label click toggles.
#pragma once

#include <cstdint>

// A fader dragged from startV to v: the start value moved by (startV - v) x maximum / travel
// pixels, clamped to 0..maximum. A travel of 0 or less keeps the start value.
double DragFaderValue(double start, int32_t startV, int32_t v, double maximum, int32_t travel);
// Faders 1 and 2 linked: after fader (1 or 2) moved from oldValue to values[fader], the
// other moves by d x its maximum / this maximum, d = oldValue - new truncated toward zero,
// clamped to its range (single precision).
void ApplyRackFaderLink(int32_t fader, double oldValue, double values[3]);
// Fader 1 when the link turns on: 256 - 256 x fader 2 / 32768, truncated.
double LinkedFaderOne(double faderTwo);
// The first visible parameter after a page arrow: c knobs per line, steps of c - 1 (1 for a
// single column); unchanged when the move is not possible.
int32_t PageFirstVisible(int32_t first, int32_t count, int32_t perLine, bool forward);
// A boolean parameter's value after a click.
float ToggledBooleanValue(float value);

// Output busses of a track's rack: a count and bit i set for a stereo bus i. Toggling bus i
// between mono and stereo, then fitting the busses to the chain's output channels: while
// over, the last bus loses its stereo bit or is dropped (one bus always stays); while short,
// a mono bus is added, or the last bus widened when it is not the one just toggled.
struct OutputBusLayout {
  int32_t count = 1;
  uint32_t stereo = 0;
};
int32_t CountBusChannels(const OutputBusLayout& layout);
OutputBusLayout ToggleOutputBus(OutputBusLayout layout, int32_t bus, int32_t channels);
