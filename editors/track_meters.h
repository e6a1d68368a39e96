// The level meters of the track window's rows: a bar of small segments right of each row's
// name column, green, then yellow, red at the top end, with the highest segment held for a
// second. The levels come from what the transport plays (sequencer/clock/track_levels.h);
// each update paints only the segments that changed, two at most fall per update.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int32_t kMeterStateCount = 96;  // two per track row: left, right
constexpr int32_t kMeterStateSize = 8;
constexpr uint32_t kMeterPeakHoldTicks = 60;
constexpr int16_t kMeterMostSegments = 255;
constexpr int16_t kMeterFallPerUpdate = 2;
// The meter column right of the name column, and its width.
constexpr int16_t kTrackMeterGap = 4;
constexpr int16_t kTrackMeterWidth = 50;

// One meter bar's state, a big-endian byte image:
//   0 u32 peak-hold deadline (ticks)   4 u8 peak segment   5 u8 drawn segments
//   6 u8 current segments              7 u8 stereo (the second channel is shown)
class MeterStateView {
 public:
  explicit MeterStateView(uint8_t* bytes) : p_(bytes) {}
  uint32_t Deadline() const;
  void SetDeadline(uint32_t ticks);
  uint8_t Peak() const { return p_[4]; }
  void SetPeak(uint8_t n) { p_[4] = n; }
  uint8_t Drawn() const { return p_[5]; }
  void SetDrawn(uint8_t n) { p_[5] = n; }
  uint8_t Current() const { return p_[6]; }
  void SetCurrent(uint8_t n) { p_[6] = n; }
  uint8_t Stereo() const { return p_[7]; }
  void SetStereo(uint8_t s) { p_[7] = s; }

 private:
  uint8_t* p_;
};

struct MeterGeometry {
  int16_t segments = 0;
  int16_t greenLimit = 0;  // segments below it (counted from 0) are green
  int16_t redStart = 0;    // segments from it on (counted from 0) are red
  Rect bounds{};           // the meter rectangle inset by 1
};
extern MeterGeometry gMeterGeometry;
extern uint8_t gMeterStates[kMeterStateCount * kMeterStateSize];
// The zones' colours: green, yellow, red, and the erase colour.
extern RGBColor gMeterZoneColors[3];
extern RGBColor gMeterEraseColor;

// Segment count = (width - 2) / 3 of the meter rectangle in gScratchRect (at most 255; a
// rectangle narrower than 5 pixels has none), green limit = round(2 x count / 3), red start =
// count - 2: the last two segments are red. Every bar's peak is cleared.
void InitMeterGeometry();
// The track window's port, its meter column's rectangle, and InitMeterGeometry.
void SetupTrackMeters();
// SetupTrackMeters when the meter column is not where the geometry was taken (first use, a
// resize): the peaks are kept otherwise.
void SetupTrackMetersIfMoved();
// The meter rectangle of a row (window coordinates), in gScratchRect; false when the row is
// not shown.
bool LoadTrackMeterRowRect(int32_t track);
// Segment n (from 1) of a bar drawn in row: 3 pixels apart, 2 wide, 1 inside the row's top
// and bottom. n = 0 gives an empty rectangle.
void GetMeterSegmentRect(const Rect& row, int16_t n, Rect* out);
const RGBColor& GetMeterSegmentColor(int16_t n);
void DrawMeterSegment(const Rect& row, int16_t n);
// One bar: level 0..127 as segments, the peak held kMeterPeakHoldTicks, new segments drawn,
// at most two erased from the top.
void UpdateMeterBar(MeterStateView state, const Rect& row, int32_t level);
// The bar rectangle of the first (stereo: upper half) or second (lower half) channel of a
// row; a mono row loses one pixel at the bottom.
void SplitMeterRowRect(bool stereo, bool second, Rect* row);
// Updates the meters of a track row (entry index): two bars, one above the other, for a
// stereo row; one bar over the row's height for a mono one (right is then ignored).
void UpdateTrackMeter(int32_t left, int32_t right, int32_t track, bool stereo);
// The row's bars drawn in full up to their current segments (after an update event).
void DrawTrackMeterRow(int32_t track);
// DrawTrackMeterRow in the track window's port, when the meters have segments.
void RedrawTrackMeterRow(int32_t track);
// The idle step: each shown row's meter follows the level its track plays at (the current
// song playing; silent otherwise, so that the bars fall back to empty).
void UpdateTrackActivityMeter();
// A click in a meter (local point, colour drawing on): the zone under it gets the colour the
// user picks. True when the point lay in a meter.
bool EditMeterZoneColor(Point local);
