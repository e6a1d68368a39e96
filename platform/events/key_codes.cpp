// Key codes, the key map, the US layout and the host (USB HID) key numbering.
#include "platform/events/key_codes.h"

#include "platform/memory/byte_order.h"

namespace {

// Unshifted and shifted characters of the US layout by virtual key code (0: none). The
// keypad, arrows and the other special keys are handled by SpecialCharCode.
struct KeyChars {
  UInt8 plain;
  UInt8 shifted;
};

constexpr KeyChars kTypingKeys[0x33] = {
    {'a', 'A'}, {'s', 'S'}, {'d', 'D'}, {'f', 'F'}, {'h', 'H'}, {'g', 'G'}, {'z', 'Z'},
    {'x', 'X'}, {'c', 'C'}, {'v', 'V'}, {0xA4, 0xB1}, {'b', 'B'}, {'q', 'Q'}, {'w', 'W'},
    {'e', 'E'}, {'r', 'R'}, {'y', 'Y'}, {'t', 'T'}, {'1', '!'}, {'2', '@'}, {'3', '#'},
    {'4', '$'}, {'6', '^'}, {'5', '%'}, {'=', '+'}, {'9', '('}, {'7', '&'}, {'-', '_'},
    {'8', '*'}, {'0', ')'}, {']', '}'}, {'o', 'O'}, {'u', 'U'}, {'[', '{'}, {'i', 'I'},
    {'p', 'P'}, {'\r', '\r'}, {'l', 'L'}, {'j', 'J'}, {'\'', '"'}, {'k', 'K'}, {';', ':'},
    {'\\', '|'}, {',', '<'}, {'/', '?'}, {'n', 'N'}, {'m', 'M'}, {'.', '>'}, {'\t', '\t'},
    {' ', ' '}, {'`', '~'},
};

struct SpecialKey {
  UInt16 keyCode;
  UInt8 charCode;
};

constexpr SpecialKey kSpecialKeys[] = {
    {kVK_Delete, kBackspaceCharCode},   {kVK_Escape, kEscapeCharCode},
    {kVK_ANSI_KeypadDecimal, '.'},      {kVK_ANSI_KeypadMultiply, '*'},
    {kVK_ANSI_KeypadPlus, '+'},         {kVK_ANSI_KeypadClear, kClearCharCode},
    {kVK_ANSI_KeypadDivide, '/'},       {kVK_ANSI_KeypadEnter, kEnterCharCode},
    {kVK_ANSI_KeypadMinus, '-'},        {kVK_ANSI_KeypadEquals, '='},
    {kVK_ANSI_Keypad0, '0'},            {kVK_ANSI_Keypad1, '1'},
    {kVK_ANSI_Keypad2, '2'},            {kVK_ANSI_Keypad3, '3'},
    {kVK_ANSI_Keypad4, '4'},            {kVK_ANSI_Keypad5, '5'},
    {kVK_ANSI_Keypad6, '6'},            {kVK_ANSI_Keypad7, '7'},
    {kVK_ANSI_Keypad8, '8'},            {kVK_ANSI_Keypad9, '9'},
    {kVK_Help, kHelpCharCode},          {kVK_Home, kHomeCharCode},
    {kVK_PageUp, kPageUpCharCode},      {kVK_ForwardDelete, kDeleteCharCode},
    {kVK_End, kEndCharCode},            {kVK_PageDown, kPageDownCharCode},
    {kVK_LeftArrow, kLeftArrowCharCode}, {kVK_RightArrow, kRightArrowCharCode},
    {kVK_DownArrow, kDownArrowCharCode}, {kVK_UpArrow, kUpArrowCharCode},
};

constexpr UInt16 kFunctionKeys[] = {kVK_F1,  kVK_F2,  kVK_F3,  kVK_F4,  kVK_F5,  kVK_F6,  kVK_F7,
                                    kVK_F8,  kVK_F9,  kVK_F10, kVK_F11, kVK_F12, kVK_F13, kVK_F14,
                                    kVK_F15, kVK_F16, kVK_F17, kVK_F18, kVK_F19, kVK_F20};

// USB HID keyboard usages 0x04..0x67 (letters to keypad '=').
constexpr UInt16 N = kNoMacKeyCode;
constexpr UInt16 kUsbToMac[0x68] = {
    N, N, N, N,
    kVK_ANSI_A, kVK_ANSI_B, kVK_ANSI_C, kVK_ANSI_D, kVK_ANSI_E, kVK_ANSI_F, kVK_ANSI_G,
    kVK_ANSI_H, kVK_ANSI_I, kVK_ANSI_J, kVK_ANSI_K, kVK_ANSI_L, kVK_ANSI_M, kVK_ANSI_N,
    kVK_ANSI_O, kVK_ANSI_P, kVK_ANSI_Q, kVK_ANSI_R, kVK_ANSI_S, kVK_ANSI_T, kVK_ANSI_U,
    kVK_ANSI_V, kVK_ANSI_W, kVK_ANSI_X, kVK_ANSI_Y, kVK_ANSI_Z,
    kVK_ANSI_1, kVK_ANSI_2, kVK_ANSI_3, kVK_ANSI_4, kVK_ANSI_5, kVK_ANSI_6, kVK_ANSI_7,
    kVK_ANSI_8, kVK_ANSI_9, kVK_ANSI_0,
    kVK_Return, kVK_Escape, kVK_Delete, kVK_Tab, kVK_Space, kVK_ANSI_Minus, kVK_ANSI_Equal,
    kVK_ANSI_LeftBracket, kVK_ANSI_RightBracket, kVK_ANSI_Backslash,
    kVK_ANSI_Backslash,  // 0x32: the ISO '#' key sits where the US backslash is
    kVK_ANSI_Semicolon, kVK_ANSI_Quote, kVK_ANSI_Grave, kVK_ANSI_Comma, kVK_ANSI_Period,
    kVK_ANSI_Slash, kVK_CapsLock,
    kVK_F1, kVK_F2, kVK_F3, kVK_F4, kVK_F5, kVK_F6, kVK_F7, kVK_F8, kVK_F9, kVK_F10,
    kVK_F11, kVK_F12,
    kVK_F13, kVK_F14, kVK_F15,  // Print Screen, Scroll Lock, Pause
    kVK_Help, kVK_Home, kVK_PageUp, kVK_ForwardDelete, kVK_End, kVK_PageDown,
    kVK_RightArrow, kVK_LeftArrow, kVK_DownArrow, kVK_UpArrow,
    kVK_ANSI_KeypadClear,  // Num Lock
    kVK_ANSI_KeypadDivide, kVK_ANSI_KeypadMultiply, kVK_ANSI_KeypadMinus,
    kVK_ANSI_KeypadPlus, kVK_ANSI_KeypadEnter,
    kVK_ANSI_Keypad1, kVK_ANSI_Keypad2, kVK_ANSI_Keypad3, kVK_ANSI_Keypad4,
    kVK_ANSI_Keypad5, kVK_ANSI_Keypad6, kVK_ANSI_Keypad7, kVK_ANSI_Keypad8,
    kVK_ANSI_Keypad9, kVK_ANSI_Keypad0, kVK_ANSI_KeypadDecimal,
    kVK_ISO_Section,  // 0x64: the ISO key beside left Shift
    N, N,             // Application, Power
    kVK_ANSI_KeypadEquals,
};

struct UsbKey {
  UInt32 usage;
  UInt16 keyCode;
};

constexpr UsbKey kUsbHighKeys[] = {
    {0x68, kVK_F13}, {0x69, kVK_F14}, {0x6A, kVK_F15}, {0x6B, kVK_F16},
    {0x6C, kVK_F17}, {0x6D, kVK_F18}, {0x6E, kVK_F19}, {0x6F, kVK_F20},
    {0x75, kVK_Help}, {0x7F, kVK_Mute}, {0x80, kVK_VolumeUp}, {0x81, kVK_VolumeDown},
    {0xE0, kVK_Command}, {0xE1, kVK_Shift}, {0xE2, kVK_Option}, {0xE3, kVK_Command},
    {0xE4, kVK_RightCommand}, {0xE5, kVK_RightShift}, {0xE6, kVK_RightOption},
    {0xE7, kVK_RightCommand},
};

bool IsLetter(UInt8 c) { return c >= 'a' && c <= 'z'; }

// The control character of a key with Control held, or the plain character when it has none.
UInt8 ControlChar(UInt8 plain) {
  if (IsLetter(plain)) return UInt8(plain - 'a' + 1);
  switch (plain) {
    case '[': return 27;
    case '\\': return 28;
    case ']': return 29;
    case '2': return 0;
    case '6': return 30;
    case '-': return 31;
    default: return plain;
  }
}

}  // namespace

bool IsModifierKeyCode(UInt16 keyCode) {
  return keyCode >= kVK_RightCommand && keyCode <= kVK_Function;
}

UInt32 ModifierBitsForKeyCode(UInt16 keyCode) {
  switch (keyCode) {
    case kVK_Command:
    case kVK_RightCommand: return cmdKey;
    case kVK_Shift: return shiftKey;
    case kVK_RightShift: return shiftKey | rightShiftKey;
    case kVK_CapsLock: return alphaLock;
    case kVK_Option: return optionKey;
    case kVK_RightOption: return optionKey | rightOptionKey;
    case kVK_Control: return controlKey;
    case kVK_RightControl: return controlKey | rightControlKey;
    case kVK_Function: return kEventKeyModifierFnMask;
    default: return 0;
  }
}

bool IsKeyCodeInKeyMap(const UInt8* keyMap, UInt16 keyCode) {
  return keyMap && keyCode < 128 && (keyMap[keyCode >> 3] >> (keyCode & 7)) & 1;
}

void SetKeyCodeInKeyMap(UInt8* keyMap, UInt16 keyCode, bool down) {
  if (!keyMap || keyCode >= 128) return;
  UInt8 bit = UInt8(1u << (keyCode & 7));
  if (down)
    keyMap[keyCode >> 3] |= bit;
  else
    keyMap[keyCode >> 3] &= UInt8(~bit);
}

UInt32 KeyMapWord(const UInt8* keyMap, int wordIndex) {
  if (!keyMap || wordIndex < 0 || wordIndex > 3) return 0;
  return ReadU32BE(keyMap + 4 * wordIndex);
}

UInt8 CharCodeForKeyCode(UInt16 keyCode, UInt32 modifiers) {
  for (UInt16 f : kFunctionKeys)
    if (f == keyCode) return kFunctionKeyCharCode;
  for (const SpecialKey& s : kSpecialKeys)
    if (s.keyCode == keyCode) return s.charCode;
  if (keyCode >= sizeof kTypingKeys / sizeof kTypingKeys[0]) return 0;
  KeyChars chars = kTypingKeys[keyCode];
  if (modifiers & controlKey) return ControlChar(chars.plain);
  bool shifted = modifiers & shiftKey;
  if (IsLetter(chars.plain) && (modifiers & alphaLock)) shifted = true;
  return shifted ? chars.shifted : chars.plain;
}

UInt32 KeyTranslate(const void*, UInt16 keycode, UInt32* state) {
  if (state) *state = 0;
  UInt32 modifiers = UInt32(keycode & 0xFF00);
  return CharCodeForKeyCode(keycode & 0x7F, modifiers);
}

UInt16 MacKeyCodeForUsbUsage(UInt32 usage) {
  if (usage < sizeof kUsbToMac / sizeof kUsbToMac[0]) return kUsbToMac[usage];
  for (const UsbKey& k : kUsbHighKeys)
    if (k.usage == usage) return k.keyCode;
  return kNoMacKeyCode;
}
