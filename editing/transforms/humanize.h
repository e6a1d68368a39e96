// Humanize: random deviations of the start times, durations and velocities of the events in
// the time selection, and optionally a random walk of tempo changes across it (the "hum"
// dialog, Transform menu item 4). The numbers come from the drawing layer's generator, so a
// stored seed replays the same edit.
#pragma once

#include <cstdint>

// The remembered settings (kept for the run, not saved).
struct HumanizeSettings {
  int32_t timingTicks = 10;      // field 7: timing range in ticks, 0..9999
  int32_t timingPercent = 5;     // field 8: timing range in percent of the duration, 0..200
  int32_t earlyShare = 50;       // field 9: the part of the range that moves earlier, 0..100
  int32_t durationPercent = 5;   // field 10: 0..200
  int32_t velocityRange = 10;    // field 11: 0..127
  int32_t tempoTenths = 0;       // field 12: tempo range in tenths of a BPM, 0..400
  uint8_t flags = 0x07;          // kHumanize* bits
};
extern HumanizeSettings gHumanizeSettings;

enum : uint8_t {
  kHumanizeTiming = 0x01,
  kHumanizeDurations = 0x02,
  kHumanizeVelocities = 0x04,
  kHumanizeTempo = 0x08,
  kHumanizeRelativeTiming = 0x10,  // the timing range is a share of the note's duration
};

// Humanizes the current track's events in the time selection with the settings (a per-track
// step for ApplyTransformToSelection; arg: the settings). Answers 0.
int32_t HumanizeTrack(void* settings);
// The tempo pass: the tempo changes inside the selection are deleted and, with a non-zero
// range, a random walk of tempo changes is written from the tempo at the selection start.
void HumanizeTempo(const HumanizeSettings& settings);
// The whole edit as one undoable step (undo kind 19): every track in the edit scope, then the
// tempo pass when asked. False when the step could not be opened.
bool ApplyHumanize(const HumanizeSettings& settings);
// The dialog; confirmed settings are remembered and applied. Needs a time selection.
void OpenHumanizeDialog();
