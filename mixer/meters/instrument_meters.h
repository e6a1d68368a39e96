// The instrument strips' level meters and clip indicators: the peaks the audio engine's
// channels and the MIDI notes played to a strip's output leave in the Instrument record, the
// fall of the shown levels, the master meter, the bars and the meter timer of the idle pass.
//
// Meter fields of an Instrument record (big-endian): +116 u32 tick until which the clip
// indicator stays lit, +120 u8 clip state, +122/+126 i16 newest peak left/right (0..32767 on
// the volume curve's gain scale, negative: none since the last update), +124/+176 i16 the
// shown levels. Whether a strip's meter is active (a bar above 0) is kept beside the table:
// the record's byte 23 is the last character of a 16-character name.
//
// Main thread.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

struct EngineChannel;

constexpr int32_t kMeterFallStep = 1536;       // the most a shown level falls an update
constexpr uint32_t kClipHoldTicks = 240;       // the clip indicator stays lit 4 seconds
constexpr int16_t kMeterFullScale = 32767;

constexpr int32_t kInstPeakLeft = 122;
constexpr int32_t kInstShownLeft = 124;
constexpr int32_t kInstPeakRight = 126;
constexpr int32_t kInstShownRight = 176;

// Where the instrument window draws a strip's meter and clip indicator, filled by the window:
// each answers false for a strip that is not shown, and otherwise leaves the window's port
// current for the drawing; redrawBackground draws the strip's background into a rectangle,
// redrawElement one element of a strip (the element numbers of the window's layout). Entries
// left empty draw nothing.
struct InstrumentMeterPlaces {
  bool (*meterRect)(int32_t index, Rect* meter) = nullptr;
  bool (*clipRect)(int32_t index, Rect* clip) = nullptr;
  void (*redrawBackground)(const Rect* r) = nullptr;
  void (*redrawElement)(int32_t index, int16_t element) = nullptr;
};
extern InstrumentMeterPlaces gInstrumentMeterPlaces;
// The lit part of a bar is drawn from this picture (clipped to it); without one it is painted.
extern PicHandle gMeterPicture;
// Elements of the strip that the meter pass redraws.
constexpr int16_t kStripProgramElement = 3;
constexpr int16_t kStripPanValueElement = 4;
constexpr int16_t kStripKnobElement = 5;
constexpr int16_t kStripVolumeValueElement = 7;
constexpr int16_t kStripFaderElement = 10;

// A peak added to a peak field: a negative field is raised to 0 first; the sum stops at
// 32767 (it never turns negative, which would read as no peak).
int16_t AddPeak(int16_t field, int32_t peak);
// The peak words of a record.
int16_t GetMeterPeak(const uint8_t* record, int32_t side);
int16_t GetShownLevel(const uint8_t* record, int32_t side);
bool IsMeterActive(int32_t index);
// Every strip's peaks none, shown levels and clip state 0, meters inactive.
void ResetInstrumentMeters();

// The engine's meter feed for a strip that plays through an engine channel: the channel's
// clip flag (taken and cleared, withClip) lights the indicator for 240 ticks from now, its
// peak words (taken and set to -1) are added to the record's peaks.
void FeedMeterFromEngine(uint8_t* record, EngineChannel* channel, uint32_t now, bool withClip);
// The MIDI feed for a strip without an engine channel: the note activity of its output
// (0..127) scaled to the gain scale (by the volume too when its volume controller is 7),
// shaped for its device and added to both peaks.
void FeedMeterFromMidi(uint8_t* record, int32_t activity);

// One meter update of every strip: the shown levels follow the peaks (rising at once,
// falling by at most 1536), are drawn where the window shows them, and the master meter
// takes the strips' peaks. Answers the number of strips whose levels changed.
int32_t UpdateInstrumentMeters();
// The level of a meter bar as a curve index 0..127 (LookupVolumeCurveIndex; levels below 1
// give 0) and the top of its lit part in a meter of height h.
int32_t MeterBarPosition(int32_t level);
int16_t MeterLitTop(const Rect* meter, int32_t level);
// Draws a strip's bars into the meter rectangle: two side by side for a strip with an engine
// channel, else one (the larger side).
void DrawInstrumentMeters(const uint8_t* record, const Rect* meter, bool twoBars);
// A strip that plays through an audio device or plug-in shows two bars, others one: the
// full redraw and the meter updates both ask this.
bool StripMetersHaveTwoBars(const uint8_t* record);
// Draws the clip indicator of a strip into its rectangle: lit or erased.
void DrawClipIndicator(const uint8_t* record, const Rect* clip);

// The meter timer of the idle pass (while the instrument window is visible): when the next
// meter time has come, takes the engine peaks and the MIDI activity of every strip and the
// values the engine's automation changed, then updates all meters.
void InstrumentMeterTimer();
