#include <gtest/gtest.h>

#include "platform/events/key_codes.h"

namespace {

TEST(KeyCodesTest, CharactersOfTheUSLayout) {
  struct Case {
    UInt16 keyCode;
    UInt32 modifiers;
    UInt8 expected;
  };
  const Case cases[] = {
      {kVK_ANSI_A, 0, 'a'},
      {kVK_ANSI_A, shiftKey, 'A'},
      {kVK_ANSI_A, alphaLock, 'A'},
      {kVK_ANSI_1, alphaLock, '1'},  // Caps Lock shifts letters only
      {kVK_ANSI_1, shiftKey, '!'},
      {kVK_ANSI_Slash, shiftKey, '?'},
      {kVK_ANSI_Quote, shiftKey, '"'},
      {kVK_ANSI_A, controlKey, 1},
      {kVK_ANSI_Z, controlKey, 26},
      {kVK_ANSI_LeftBracket, controlKey, 27},
      {kVK_ANSI_Q, cmdKey, 'q'},
      {kVK_ANSI_Period, cmdKey, '.'},
      {kVK_Return, 0, kReturnCharCode},
      {kVK_ANSI_KeypadEnter, 0, kEnterCharCode},
      {kVK_Delete, 0, kBackspaceCharCode},
      {kVK_ForwardDelete, 0, kDeleteCharCode},
      {kVK_Escape, 0, kEscapeCharCode},
      {kVK_Tab, shiftKey, kTabCharCode},
      {kVK_LeftArrow, 0, kLeftArrowCharCode},
      {kVK_DownArrow, 0, kDownArrowCharCode},
      {kVK_ANSI_Keypad7, 0, '7'},
      {kVK_ANSI_KeypadDecimal, 0, '.'},
      {kVK_F1, 0, kFunctionKeyCharCode},
      {kVK_F15, 0, kFunctionKeyCharCode},
      {kVK_PageDown, 0, kPageDownCharCode},
      {kVK_Shift, 0, 0},
      {0x7F, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CharCodeForKeyCode(c.keyCode, c.modifiers), c.expected) << c.keyCode << "/" << c.modifiers;

  UInt32 state = 7;
  EXPECT_EQ(KeyTranslate(nullptr, UInt16(UInt32(kVK_ANSI_B) | shiftKey), &state) & 0xFF, UInt32('B'));
  EXPECT_EQ(state, 0u);
}

TEST(KeyCodesTest, HostUsagesMapToMacKeyCodes) {
  struct Case {
    UInt32 usage;
    UInt16 keyCode;
  };
  const Case cases[] = {
      {0x04, kVK_ANSI_A},          {0x1D, kVK_ANSI_Z},         {0x1E, kVK_ANSI_1},
      {0x27, kVK_ANSI_0},          {0x28, kVK_Return},         {0x2A, kVK_Delete},
      {0x35, kVK_ANSI_Grave},      {0x39, kVK_CapsLock},       {0x3A, kVK_F1},
      {0x45, kVK_F12},             {0x46, kVK_F13},            {0x49, kVK_Help},
      {0x4C, kVK_ForwardDelete},   {0x52, kVK_UpArrow},        {0x53, kVK_ANSI_KeypadClear},
      {0x58, kVK_ANSI_KeypadEnter}, {0x59, kVK_ANSI_Keypad1},  {0x61, kVK_ANSI_Keypad9},
      {0x62, kVK_ANSI_Keypad0},    {0x63, kVK_ANSI_KeypadDecimal}, {0x64, kVK_ISO_Section},
      {0x67, kVK_ANSI_KeypadEquals}, {0x68, kVK_F13},          {0x6F, kVK_F20},
      {0xE0, kVK_Command},         {0xE2, kVK_Option},         {0xE3, kVK_Command},
      {0xE4, kVK_RightCommand},
      {0xE5, kVK_RightShift},      {0xE7, kVK_RightCommand},   {0x00, kNoMacKeyCode},
      {0x65, kNoMacKeyCode},       {0x1234, kNoMacKeyCode},
  };
  for (const Case& c : cases) EXPECT_EQ(MacKeyCodeForUsbUsage(c.usage), c.keyCode) << std::hex << c.usage;
}

TEST(KeyCodesTest, KeyMapBitsAndModifierKeys) {
  KeyMap keys = {};
  SetKeyCodeInKeyMap(keys, kVK_Command, true);     // 55: byte 6, bit 7
  SetKeyCodeInKeyMap(keys, kVK_UpArrow, true);     // 126: byte 15, bit 6
  SetKeyCodeInKeyMap(keys, 200, true);             // ignored
  EXPECT_EQ(keys[6], 0x80);
  EXPECT_EQ(keys[15], 0x40);
  EXPECT_EQ(KeyMapWord(keys, 1), 0x00008000u);
  EXPECT_EQ(KeyMapWord(keys, 3), 0x00000040u);
  EXPECT_TRUE(IsKeyCodeInKeyMap(keys, kVK_UpArrow));
  SetKeyCodeInKeyMap(keys, kVK_UpArrow, false);
  EXPECT_FALSE(IsKeyCodeInKeyMap(keys, kVK_UpArrow));
  EXPECT_FALSE(IsKeyCodeInKeyMap(keys, 300));

  EXPECT_EQ(ModifierBitsForKeyCode(kVK_RightOption), UInt32(optionKey | rightOptionKey));
  EXPECT_EQ(ModifierBitsForKeyCode(kVK_RightCommand), UInt32(cmdKey));
  EXPECT_EQ(ModifierBitsForKeyCode(kVK_ANSI_A), 0u);
  EXPECT_TRUE(IsModifierKeyCode(kVK_Function));
  EXPECT_FALSE(IsModifierKeyCode(kVK_F17));
}

}  // namespace
