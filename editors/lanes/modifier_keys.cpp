#include "editors/lanes/modifier_keys.h"

#include "performance/keyboard_capture.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"

namespace {

bool IsModifierKeyDown(UInt16 keyCode) {
  if (gKeyboardCapture) return IsKeyCodeInKeyMap(gCapturedKeyMap, keyCode);
  KeyMap keys{};
  GetKeys(keys);
  return IsKeyCodeInKeyMap(keys, keyCode);
}

}  // namespace

bool IsOptionKeyDown() { return IsModifierKeyDown(kVK_Option); }
bool IsControlKeyDown() { return IsModifierKeyDown(kVK_Control); }
bool IsShiftKeyDown() { return IsModifierKeyDown(kVK_Shift); }
bool IsCommandKeyDown() { return IsModifierKeyDown(kVK_Command); }
