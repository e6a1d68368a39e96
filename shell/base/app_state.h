// The application-state words: capability and state flags that start-up derives from the
// system and that the event handlers, idle work and alerts test. Word 1's low byte is the
// sync-mode byte; word 2 is 1 once start-up has begun; word 3 is non-zero while the
// application is in the background; word 7 holds the number of installed scripts when
// start-up asked for it. The names of the bits carry the number of their word.
//
// Threads: the main thread only; no real-time code tests these words.
#pragma once

#include <cstdint>

constexpr int kAppStateWords = 8;
extern uint16_t gAppState[kAppStateWords];

// Word 0: what the system offers, found at start-up, and how the program draws.
enum : uint16_t {
  kAppWord0InfoPanelWanted = 0x1,
  // The Alias Manager is present: documents may bring their aliases (slots 4 and 6).
  kAppWord0DocumentAliases = 0x2,
  kAppWord0AppleEvents = 0x4,
  kAppWord0FloatingWindows = 0x8,
  // Suspend and resume events arrive; the window layout is saved at quit.
  kAppWord0SuspendResume = 0x10,
  kAppWord0VirtualMemory = 0x20,
  kAppWord0QuickDrawFeature = 0x40,
  // Drawing straight to the screen; value fields do not draw meanwhile.
  kAppWord0ScreenDrawing = 0x80,
  kAppWord0ColourDrawing = 0x100,
  kAppWord0SoundPlayAndRecord = 0x200,
  kAppWord0HardwareBit3 = 0x400,
  kAppWord0ClockHardware = 0x800,
  kAppWord0HighlightColour = 0x1000,
  kAppWord0SoundInput = 0x2000,
  kAppWord0NewTimeManager = 0x4000,  // a Time Manager version above 3
  kAppWord0HardwareBit4 = 0x8000,    // and the Command key not held at start-up
};

// Word 1.
enum : uint16_t {
  kAppWord1DrawingSuppressed = 0x200,  // fatal stop, resizing, alert up
  kAppWord1AboutLateItem = 0x400,      // the about window's late item is shown after its delay
  kAppWord1ThreadManager = 0x1000,
  kAppWord1StartUpFlags = 0x2000 | 0x8000,  // set once the system checks are done
  kAppWord1Appearance = 0x4000,
};

// Word 4.
enum : uint16_t {
  kAppWord4Loading = 0x1,             // a document loads
  kAppWord4Opening = 0x2,             // an open was asked for and has not ended in an error
  kAppWord4HighLevelEvents = 0x8,
  kAppWord4SleepPending = 0x10,
  kAppWord4AboutLoop = 0x20,          // the about loop runs; closing its window ends it
  kAppWord4PassingOn = 0x40,          // handler re-entry guard
  kAppWord4MenuTracking = 0x80,
  kAppWord4SetupReport = 0x100,
  kAppWord4ScriptCount = 0x200,       // start-up reads the number of scripts into word 7
  kAppWord4PopUpUp = 0x400,           // a pop-up menu is up; activate events are ignored
  kAppWord4PpcToolbox = 0x1000,       // and Shift not held at start-up
  kAppWord4ExtendedWindows = 0x2000,
};

// Word 6: the window-state bits of the windows that the Windows menu shows and hides.
enum : uint16_t {
  kAppWord6InfoPanelShown = 0x1,
  kAppWord6KeyboardShown = 0x2,
  kAppWord6RhythmToolShown = 0x4,
};

inline bool IsAppInBackground() { return gAppState[3] != 0; }
inline bool IsAppearanceThemeOn() { return (gAppState[1] & kAppWord1Appearance) != 0; }
inline uint8_t GetSyncModeByte() { return static_cast<uint8_t>(gAppState[1] & 0xFF); }
inline void SetSyncModeByte(uint8_t v) {
  gAppState[1] = static_cast<uint16_t>((gAppState[1] & 0xFF00) | v);
}
