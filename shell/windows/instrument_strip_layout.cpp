#include "shell/windows/instrument_strip_layout.h"

#include <algorithm>

#include "shell/windows/window_sizing.h"

Rect gStripElementRects[kStripElementCount] = {};
int16_t gFaderTravel = 0;
CIconHandle gFaderThumbIcon = nullptr;
CIconHandle gFaderThumbPressedIcon = nullptr;
int16_t gFaderThumbLeft = 2;
int16_t gStripTop = 20;
int16_t gStripLineHeight = 12;

namespace {

constexpr int16_t kRowStep = 14;      // a value row: a 12-pixel line and a 2-pixel gap
constexpr int16_t kKnobSide = 22;
constexpr int16_t kMeterWidth = 7;
constexpr int16_t kBottomBox = 20;    // send button and link group under the fader
constexpr int16_t kMinStripWidth = 34;
constexpr int16_t kMinStripHeight = 200;

void Place(int16_t element, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  gStripElementRects[element] = Rect{top, left, bottom, right};
}

}  // namespace

void LayoutInstrumentStrip() {
  const int16_t w = std::max(gInstrumentStripWidth, kMinStripWidth);
  const int16_t h = std::max(gInstrumentStripHeight, kMinStripHeight);
  for (Rect& r : gStripElementRects) r = Rect{};
  for (int16_t k = kStripOutput; k <= kStripPanValue; ++k)
    Place(k, 1, int16_t(2 + kRowStep * k), int16_t(w - 1), int16_t(2 + kRowStep * k + 12));
  const int16_t knobTop = int16_t(2 + kRowStep * 5);
  Place(kStripKnobArea, 0, knobTop, w, int16_t(knobTop + kKnobSide + 6));
  Place(kStripPanKnob, int16_t(w / 2 - kKnobSide / 2), int16_t(knobTop + 3), int16_t(w / 2 + kKnobSide / 2),
        int16_t(knobTop + 3 + kKnobSide));
  const int16_t volumeTop = int16_t(knobTop + kKnobSide + 8);
  Place(kStripVolumeValue, 1, volumeTop, int16_t(w - 1), int16_t(volumeTop + 12));
  const int16_t lampTop = int16_t(volumeTop + kRowStep);
  Place(kStripMuteLamp, 2, lampTop, int16_t(w / 2), int16_t(lampTop + 9));
  Place(kStripSoloLamp, int16_t(w / 2 + 1), lampTop, int16_t(w - 2), int16_t(lampTop + 9));
  const int16_t meterLeft = int16_t(w - 3 - kMeterWidth), meterTop = int16_t(lampTop + 18);
  const int16_t bottom = int16_t(h - kBottomBox - 4);
  Place(kStripClip, meterLeft, int16_t(lampTop + 12), int16_t(w - 3), int16_t(lampTop + 16));
  Place(kStripMeter, meterLeft, meterTop, int16_t(w - 3), bottom);
  Place(kStripMeterLeft, meterLeft, meterTop, int16_t(meterLeft + kMeterWidth / 2), bottom);
  Place(kStripMeterRight, int16_t(meterLeft + kMeterWidth / 2 + 1), meterTop, int16_t(w - 3), bottom);
  Rect thumb{0, 0, kFaderThumbHeight, kFaderThumbWidth};
  if (gFaderThumbIcon) GetCIconBounds(gFaderThumbIcon, &thumb);
  const int16_t thumbHeight = int16_t(thumb.bottom - thumb.top), thumbWidth = int16_t(thumb.right - thumb.left);
  gFaderThumbLeft = int16_t(std::max(1, (meterLeft - thumbWidth) / 2));
  // The thumb's top runs from the track's bottom line up by the travel; the thumb hangs below.
  Place(kStripFaderTrack, gFaderThumbLeft, meterTop, int16_t(gFaderThumbLeft + thumbWidth),
        int16_t(bottom - thumbHeight));
  const Rect& track = gStripElementRects[kStripFaderTrack];
  gFaderTravel = int16_t(std::max(1, track.bottom - track.top - 1));
  Place(kStripSendButton, 2, int16_t(h - kBottomBox), int16_t(w - 13), int16_t(h - 6));
  Place(kStripLinkGroup, int16_t(w - 12), int16_t(h - kBottomBox), int16_t(w - 2), int16_t(h - 6));
}

int16_t GetStripNameTop() { return int16_t(gStripTop + gInstrumentStripHeight + 2); }
