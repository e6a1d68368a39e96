// Durations of the notes in the time selection: set to a note value, scaled by a percentage
// (fixed or ramping across the selection), lengthened by ticks, or stretched to the next note
// (legato); optionally re-spaced a note value apart and cleared of overlaps between notes of one
// pitch. The "dur" dialog (Transform menu item 2) edits the settings; the pattern tools run the
// engine directly.
#pragma once

#include <cstdint>

enum : int32_t {
  kDurationSet = 0,       // every duration the fixed length
  kDurationRamp = 1,      // scaled by a percentage ramping from the start to the end percent
  kDurationLegato = 2,    // stretched to the next note beyond the legato gap
  kDurationAdd = 3,       // the added ticks
  kDurationPercent = 4,   // scaled by the fixed percent
};
enum : int32_t {
  kDurationRespace = 0x01,          // box 18
  kDurationRemoveOverlaps = 0x02,   // box 19
  kDurationStopAtMarkers = 0x04,    // no box: legato ends at a marker between two notes
};

// The remembered settings (kept between uses of the dialog).
struct DurationSettings {
  int32_t mode = kDurationSet;
  int32_t noteValueIndex = 0;    // 0..17, the note value of the fixed length
  int32_t fixedLength = 96;      // ticks (field 8)
  int32_t startPercent = 100;    // field 9, 1..1000
  int32_t addedTicks = 0;        // field 10, -32000..32000
  int32_t endPercent = 100;      // field 11, 1..1000 (negative: the start percent)
  int32_t legatoGap = 48;        // field 12, 0..1000
  int32_t minimumGap = 0;        // field 13, 0..1000
  int32_t fixedPercent = 100;    // field 15, 1..1000
  int32_t flags = 0;
};
extern DurationSettings gDurationSettings;

// On the current track over the time selection, for the note-ons the edit filter takes. A new
// duration of 0 deletes the note. The list is shrunk, sorted and the track end raised to the
// latest note end; the song is marked modified. Without an event list nothing happens.
void DurationTransform(const DurationSettings& settings);
// The engine on every track with events in the edit scope as one undoable step (undo kind 8),
// then a redraw. False when the step could not be opened.
bool RunDurationTransform(const DurationSettings& settings);
// The dialog; OK stores the settings and runs the transform.
void OpenDurationDialog();
