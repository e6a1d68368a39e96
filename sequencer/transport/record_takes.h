// The takes of cycle recording: every pass of a cycle record pass becomes a track of its own
// (a take) beside the armed track, with the armed track's output; the newest take plays and
// the earlier ones are muted. The take list names the take tracks of the song recorded last
// by their track numbers; the take window steps through them and mutes, plays or deletes
// them. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"

constexpr int32_t kMaxTakes = 48;

struct TakeList {
  Handle song;                     // the song the takes belong to
  uint8_t index = 0;               // the current take
  uint8_t count = 0;               // the number of takes
  uint8_t tracks[kMaxTakes] = {};  // their track numbers, oldest first
};
extern TakeList gTakeList;

// Take window option bits (gTakeWindowOptions).
constexpr uint16_t kTakeOptionKeep = 0x0001;          // a take does not replace the range
constexpr uint16_t kTakeOptionAutoSelect = 0x0800;    // the newest take becomes the current one
extern uint16_t gTakeWindowOptions;

// Take window commands (TakeWindowCommand) and the answer for those it does not handle.
constexpr int32_t kTakeCommandToggleMute = 1;
constexpr int32_t kTakeCommandDelete = 2;
constexpr int32_t kTakeCommandAutoSelect = 6;
constexpr OSErr kTakeCommandNotHandled = -9874;

// Starts an empty take list for song (the takes of an earlier pass are forgotten, their
// tracks stay).
void StartTakeList(Handle song);
// A new take of the armed track sourceNumber of the current song holding records (time-sorted
// SeqEvents without an end record): a track after the song's last with the source's output and
// the name "Take n". The take before it is muted. noErr, or the reason the take could not be
// made (then the records are merged into the armed track itself, so nothing is lost).
OSErr AddTake(uint8_t sourceNumber, const std::vector<uint8_t>& records);

void SelectPreviousTake();
// The index walks to count - 1 and wraps to 0.
void SelectNextTake();
bool IsLastTake();
// The current take's mute bit (bit 1 of the track flags).
bool IsCurrentTakeMuted();
void MuteTake();
void UnmuteTake();
// Forgets every take (their tracks stay in the song).
void DeleteAllTakes();
// Command 1 toggles the current take's mute, 2 deletes the current take's track, 6 toggles
// the auto-select option; the others answer kTakeCommandNotHandled.
OSErr TakeWindowCommand(int32_t command);
