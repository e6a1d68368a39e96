// The regions a track audio plays over a span of ticks: what an engine channel streams when it
// plays part of a track (a section, a duplicated track) or its list was edited while playing.
// Main thread.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Builds the regions of [startTick, endTick] of the source list (positions at the track audio's
// rate). With repeat, the first repeatTicks of the span are played again and again to its end.
// The result keeps song positions: when output is not the track audio's own list and the span
// starts after tick 1, the part before the span is silence; nothing plays after the span's end.
// With keep, the result (normalised) becomes *output (a list the caller owns, any old one left
// to the caller); without, it replaces the same span of *output, which is normalised. The
// source is never changed. With points, the track audio's automation points of the span are
// copied into a new list there (0 without points). No track audio: -50.
OSErr BuildSpanRegions(Handle trackAudio, uint32_t startTick, uint32_t endTick, uint32_t repeatTicks, bool repeat,
                       Handle source, bool keep, Handle* output, Handle* points);
