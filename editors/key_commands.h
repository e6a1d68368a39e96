// The key commands of the main windows that are not menu keys.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"

constexpr OSStatus kKeyNotUsed = -9874;
// HandleEditorKey's mask: bit 0 allows Delete, bit 1 allows Tab.
constexpr int16_t kAllowDelete = 0x01;
constexpr int16_t kAllowTab = 0x02;
constexpr uint8_t kKeypadDecimalKeyCode = 0x41;

// One byte per view mode 0..8 compared with the upper-cased key; mode 7 has no key (its
// byte matches nothing).
constexpr uint8_t kNoViewLetter = 0;
extern const uint8_t gViewLetterTable[9];
// The key step of the up and down arrows in the main editor (velocity units).
extern uint8_t gVelocityStep;

// While active is non-zero every key goes to proc (or, with no proc, to the active number
// field).
struct ModalKeyHook {
  int16_t active = 0;
  void (*proc)(uint8_t ch, EventRecord* event) = nullptr;
};
extern ModalKeyHook gModalKeyHook;

// 0 when the key was used, -9874 when nobody took it (the system then has it).
OSStatus HandleKeyCommand(uint8_t ch, EventRecord* event);
// The character code when the key was used, 0 when not.
uint8_t HandleEditorKey(uint8_t ch, uint8_t keyCode, int16_t keyMask, EventRecord* event);
// The keys a plug-in editor window takes: digits, Delete, '.', Enter, the arrows, '[' and
// ']', and every key the editor keys would not use.
bool IsPluginWindowKey(uint8_t ch, uint8_t keyCode, EventRecord* event);
