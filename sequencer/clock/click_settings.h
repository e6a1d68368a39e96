// The metronome's click: where it plays and what each click sends. The click plays through a
// plug-in (device kind 20, the click's own device 254) when its device kind says so; the bar's
// first beat and the other beats each send their own note, and up to three beats of the bar
// take an accent velocity.
#pragma once

#include <cstdint>

constexpr uint16_t kClickActive = 0x100;
constexpr int32_t kClickAccentSlots = 3;

struct ClickNote {
  uint8_t status = 0x99;
  uint8_t note = 0;
  uint8_t velocity = 127;
  uint16_t length = 0;  // ticks
};

struct ClickAccent {
  uint8_t beat = 0;     // 1-based beat of the bar, 0 for an unused slot
  uint8_t velocity = 0;
};

struct ClickSettings {
  uint8_t deviceKind = 20;
  uint8_t deviceId = 254;  // the plug-in device the click plays on (device kind 20)
  uint16_t flags = 0;
  ClickNote bar{0x99, 84, 127, 60};
  ClickNote beat{0x99, 96, 100, 60};
  ClickAccent accents[kClickAccentSlots];
};

extern ClickSettings gClickSettings;
