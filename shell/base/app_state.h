// The application-state words: capability and state flags that start-up derives from the
// system and that the event handlers, idle work and alerts test.
//   word 0: capabilities (0x8 floating windows, 0x10 suspend/resume, 0x80 screen drawing,
//           0x100 colour drawing, 0x1000 highlight colour)
//   word 1: 0x200 drawing suppressed (fatal stop, resizing, alert up), 0x4000 appearance theme;
//           its low byte is the sync-mode byte
//   word 3: non-zero while the application is in the background
//   word 4: 0x1 idle work suppressed, 0x10 going to sleep, 0x40 handler re-entry guard,
//           0x80 menu tracking, 0x100 set-up report in progress, 0x400 pop-up menu up
#pragma once

#include <cstdint>

constexpr int kAppStateWords = 8;
extern uint16_t gAppState[kAppStateWords];

enum : uint16_t {
  kAppWord1DrawingSuppressed = 0x200,
  kAppWord1Appearance = 0x4000,
  kAppWord4SleepPending = 0x10,
  kAppWord4SetupReport = 0x100,
};

inline bool IsAppInBackground() { return gAppState[3] != 0; }
inline bool IsAppearanceThemeOn() { return (gAppState[1] & kAppWord1Appearance) != 0; }
inline uint8_t GetSyncModeByte() { return static_cast<uint8_t>(gAppState[1] & 0xFF); }
inline void SetSyncModeByte(uint8_t v) {
  gAppState[1] = static_cast<uint16_t>((gAppState[1] & 0xFF00) | v);
}
