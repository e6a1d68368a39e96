// The keyboard as the program sees it: Mac virtual key codes, modifier bits, the 128-key
// key map, and a US keyboard layout for the characters keys type.
#pragma once

#include "platform/memory/mac_types.h"

// --- Virtual key codes (position on the keyboard, not the character) ----------------------

enum : UInt16 {
  kVK_ANSI_A = 0x00, kVK_ANSI_S = 0x01, kVK_ANSI_D = 0x02, kVK_ANSI_F = 0x03,
  kVK_ANSI_H = 0x04, kVK_ANSI_G = 0x05, kVK_ANSI_Z = 0x06, kVK_ANSI_X = 0x07,
  kVK_ANSI_C = 0x08, kVK_ANSI_V = 0x09, kVK_ISO_Section = 0x0A, kVK_ANSI_B = 0x0B,
  kVK_ANSI_Q = 0x0C, kVK_ANSI_W = 0x0D, kVK_ANSI_E = 0x0E, kVK_ANSI_R = 0x0F,
  kVK_ANSI_Y = 0x10, kVK_ANSI_T = 0x11, kVK_ANSI_1 = 0x12, kVK_ANSI_2 = 0x13,
  kVK_ANSI_3 = 0x14, kVK_ANSI_4 = 0x15, kVK_ANSI_6 = 0x16, kVK_ANSI_5 = 0x17,
  kVK_ANSI_Equal = 0x18, kVK_ANSI_9 = 0x19, kVK_ANSI_7 = 0x1A, kVK_ANSI_Minus = 0x1B,
  kVK_ANSI_8 = 0x1C, kVK_ANSI_0 = 0x1D, kVK_ANSI_RightBracket = 0x1E, kVK_ANSI_O = 0x1F,
  kVK_ANSI_U = 0x20, kVK_ANSI_LeftBracket = 0x21, kVK_ANSI_I = 0x22, kVK_ANSI_P = 0x23,
  kVK_Return = 0x24, kVK_ANSI_L = 0x25, kVK_ANSI_J = 0x26, kVK_ANSI_Quote = 0x27,
  kVK_ANSI_K = 0x28, kVK_ANSI_Semicolon = 0x29, kVK_ANSI_Backslash = 0x2A,
  kVK_ANSI_Comma = 0x2B, kVK_ANSI_Slash = 0x2C, kVK_ANSI_N = 0x2D, kVK_ANSI_M = 0x2E,
  kVK_ANSI_Period = 0x2F, kVK_Tab = 0x30, kVK_Space = 0x31, kVK_ANSI_Grave = 0x32,
  kVK_Delete = 0x33, kVK_Escape = 0x35, kVK_RightCommand = 0x36, kVK_Command = 0x37,
  kVK_Shift = 0x38, kVK_CapsLock = 0x39, kVK_Option = 0x3A, kVK_Control = 0x3B,
  kVK_RightShift = 0x3C, kVK_RightOption = 0x3D, kVK_RightControl = 0x3E,
  kVK_Function = 0x3F, kVK_F17 = 0x40, kVK_ANSI_KeypadDecimal = 0x41,
  kVK_ANSI_KeypadMultiply = 0x43, kVK_ANSI_KeypadPlus = 0x45, kVK_ANSI_KeypadClear = 0x47,
  kVK_VolumeUp = 0x48, kVK_VolumeDown = 0x49, kVK_Mute = 0x4A,
  kVK_ANSI_KeypadDivide = 0x4B, kVK_ANSI_KeypadEnter = 0x4C, kVK_ANSI_KeypadMinus = 0x4E,
  kVK_F18 = 0x4F, kVK_F19 = 0x50, kVK_ANSI_KeypadEquals = 0x51, kVK_ANSI_Keypad0 = 0x52,
  kVK_ANSI_Keypad1 = 0x53, kVK_ANSI_Keypad2 = 0x54, kVK_ANSI_Keypad3 = 0x55,
  kVK_ANSI_Keypad4 = 0x56, kVK_ANSI_Keypad5 = 0x57, kVK_ANSI_Keypad6 = 0x58,
  kVK_ANSI_Keypad7 = 0x59, kVK_F20 = 0x5A, kVK_ANSI_Keypad8 = 0x5B,
  kVK_ANSI_Keypad9 = 0x5C, kVK_F5 = 0x60, kVK_F6 = 0x61, kVK_F7 = 0x62, kVK_F3 = 0x63,
  kVK_F8 = 0x64, kVK_F9 = 0x65, kVK_F11 = 0x67, kVK_F13 = 0x69, kVK_F16 = 0x6A,
  kVK_F14 = 0x6B, kVK_F10 = 0x6D, kVK_F12 = 0x6F, kVK_F15 = 0x71, kVK_Help = 0x72,
  kVK_Home = 0x73, kVK_PageUp = 0x74, kVK_ForwardDelete = 0x75, kVK_F4 = 0x76,
  kVK_End = 0x77, kVK_F2 = 0x78, kVK_PageDown = 0x79, kVK_F1 = 0x7A,
  kVK_LeftArrow = 0x7B, kVK_RightArrow = 0x7C, kVK_DownArrow = 0x7D, kVK_UpArrow = 0x7E,
};

constexpr UInt16 kNoMacKeyCode = 0xFFFF;

// --- Modifier bits --------------------------------------------------------------------------
// The same bits serve the classic record's modifiers word and the Carbon 'kmod' parameter
// (which never carries activeFlag or btnState). A right-hand modifier key sets both its own
// bit and the plain one (right Shift gives shiftKey | rightShiftKey).

enum : UInt32 {
  activeFlagBit = 0,
  btnStateBit = 7,
  cmdKeyBit = 8,
  shiftKeyBit = 9,
  alphaLockBit = 10,
  optionKeyBit = 11,
  controlKeyBit = 12,
  rightShiftKeyBit = 13,
  rightOptionKeyBit = 14,
  rightControlKeyBit = 15,
};

enum : UInt32 {
  activeFlag = 0x0001,  // activate events: set for activation
  btnState = 0x0080,    // classic records: set while the mouse button is UP
  cmdKey = 0x0100,
  shiftKey = 0x0200,
  alphaLock = 0x0400,
  optionKey = 0x0800,
  controlKey = 0x1000,
  rightShiftKey = 0x2000,
  rightOptionKey = 0x4000,
  rightControlKey = 0x8000,
  kEventKeyModifierNumLockMask = 0x10000,
  kEventKeyModifierFnMask = 0x20000,
};

// The modifier bits that keys held down produce (everything but alphaLock, a toggle).
constexpr UInt32 kHeldModifierMask = cmdKey | shiftKey | optionKey | controlKey | rightShiftKey |
                                     rightOptionKey | rightControlKey | kEventKeyModifierFnMask;

// True for the keys that change modifiers instead of typing (Command, Shift, Caps Lock,
// Option, Control, their right-hand forms, Function).
bool IsModifierKeyCode(UInt16 keyCode);
// The modifier bits a held modifier key gives (0 for other keys; Caps Lock gives alphaLock).
UInt32 ModifierBitsForKeyCode(UInt16 keyCode);

// --- Key map ----------------------------------------------------------------------------------
// 128 bits, one per virtual key code: key k is bit (k & 7) of byte (k >> 3). Word i of the
// map (KeyMapWord) is bytes 4i..4i+3 read big-endian, so word 0 covers key codes 0..31.

constexpr int kKeyMapBytes = 16;
using KeyMapByteArray = UInt8[kKeyMapBytes];
using KeyMap = KeyMapByteArray;

bool IsKeyCodeInKeyMap(const UInt8* keyMap, UInt16 keyCode);
void SetKeyCodeInKeyMap(UInt8* keyMap, UInt16 keyCode, bool down);
UInt32 KeyMapWord(const UInt8* keyMap, int wordIndex);

// --- Characters -------------------------------------------------------------------------------
// Special character codes that keys type.
enum : UInt8 {
  kHomeCharCode = 1,
  kEnterCharCode = 3,
  kEndCharCode = 4,
  kHelpCharCode = 5,
  kBackspaceCharCode = 8,
  kTabCharCode = 9,
  kPageUpCharCode = 11,
  kPageDownCharCode = 12,
  kReturnCharCode = 13,
  kFunctionKeyCharCode = 16,
  kEscapeCharCode = 27,
  kClearCharCode = 27,
  kLeftArrowCharCode = 28,
  kRightArrowCharCode = 29,
  kUpArrowCharCode = 30,
  kDownArrowCharCode = 31,
  kSpaceCharCode = 32,
  kDeleteCharCode = 127,
};

// The Mac Roman character a key types on a US layout with the given modifiers: Shift and
// Caps Lock give capitals and the shifted symbols, Control gives control characters (a -> 1,
// [ -> 27 ...); Command and Option leave the character alone. Function keys give 16; 0 for
// modifier keys and codes with nothing to type.
UInt8 CharCodeForKeyCode(UInt16 keyCode, UInt32 modifiers);

// The classic translation: keycode holds the key code in bits 0-6, the key-up flag in bit 7
// and the modifiers' high byte in bits 8-15. The result has the character in its low byte
// (US layout; transData and state are accepted and not used: there are no dead keys).
UInt32 KeyTranslate(const void* transData, UInt16 keycode, UInt32* state);

// The virtual key code of a USB HID keyboard usage (the numbering of host scancodes, such
// as SDL's), kNoMacKeyCode when the key has no Mac counterpart. PC keys map the way Linux
// users expect: Control is Command (Ctrl-O opens, Ctrl-A selects all), the Windows (Super)
// key is a second Command, Alt is Option; Print Screen / Scroll Lock / Pause are F13-F15,
// Insert is Help, Num Lock is the keypad's Clear. No PC key gives the Mac Control key (a
// right click is what Control-click is for on a Mac).
UInt16 MacKeyCodeForUsbUsage(UInt32 usage);
