// System capability queries: Gestalt selectors answered for this Linux build.
//
// The answers are fixed by what this program runs on (see the table in gestalt.cpp); tests
// may change, add or remove any of them and restore the built-in table afterwards.
#pragma once

#include "platform/memory/mac_types.h"

enum : OSErr {
  gestaltUnknownErr = -5550,
  gestaltUndefSelectorErr = -5551,
  gestaltDupSelectorErr = -5552,
  gestaltLocationErr = -5553,
};

// Selectors this build answers.
constexpr OSType gestaltSystemVersion = FourCC("sysv");
constexpr OSType gestaltQuickdrawVersion = FourCC("qd  ");
constexpr OSType gestaltQuickdrawFeatures = FourCC("qdrw");
constexpr OSType gestaltHardwareAttr = FourCC("hdwr");
constexpr OSType gestaltSoundAttr = FourCC("snd ");
constexpr OSType gestaltTimeMgrVersion = FourCC("tmgr");
constexpr OSType gestaltAppleEventsAttr = FourCC("evnt");
constexpr OSType gestaltAliasMgrAttr = FourCC("alis");
constexpr OSType gestaltVMAttr = FourCC("vm  ");
constexpr OSType gestaltPPCToolboxAttr = FourCC("ppcf");
constexpr OSType gestaltQuickTimeVersion = FourCC("qtim");
constexpr OSType gestaltThreadMgrAttr = FourCC("thds");
constexpr OSType gestaltAppearanceAttr = FourCC("appr");
constexpr OSType gestaltAppearanceVersion = FourCC("apvr");
constexpr OSType gestaltScriptCount = FourCC("scr#");
constexpr OSType gestaltWindowMgrAttr = FourCC("wind");
constexpr OSType gestaltDragMgrAttr = FourCC("drag");

// Bits of the attribute answers that the program tests, as masks. Where the program gives a
// bit no meaning of its own, the name only says which bit it is.
constexpr SInt32 kGestaltHardwareBit0 = 1 << 0;            // 'hdwr' (clock mode 0 allowed)
constexpr SInt32 kGestaltHardwareBit3 = 1 << 3;            // 'hdwr'
constexpr SInt32 kGestaltHardwareBit4 = 1 << 4;            // 'hdwr'
constexpr SInt32 kGestaltQuickdrawBit1 = 1 << 1;           // 'qdrw'
constexpr SInt32 kGestaltSoundInputBits = 0x28;            // 'snd ' both bits tested together
constexpr SInt32 kGestaltSoundPlayAndRecordBit = 0x40;     // 'snd '
constexpr SInt32 kGestaltAppleEventsPresentBit = 1 << 0;   // 'evnt'
constexpr SInt32 kGestaltAliasMgrPresentBit = 1 << 0;      // 'alis'
constexpr SInt32 kGestaltAliasResolveNoUIBit = 1 << 3;     // 'alis' resolve with mount flags
constexpr SInt32 kGestaltVMPresentBit = 1 << 0;            // 'vm  '
constexpr SInt32 kGestaltPPCBit4 = 1 << 4;                 // 'ppcf'
constexpr SInt32 kGestaltThreadMgrPresentBit = 1 << 0;     // 'thds'
constexpr SInt32 kGestaltThreadsLibraryBit = 1 << 2;       // 'thds'
constexpr SInt32 kGestaltAppearancePresentBit = 1 << 0;    // 'appr'
constexpr SInt32 kGestaltWindowExtendedBit = 1 << 1;       // 'wind' extended attributes
constexpr SInt32 kGestaltWindowFloatingBit = 1 << 2;       // 'wind' floating windows
constexpr SInt32 kGestaltDragHandlersBit = 1 << 2;         // 'drag' tracking/receive handlers
constexpr SInt32 kGestaltDragImageBit = 1 << 3;            // 'drag' translucent drag images

// Puts the answer for selector into *response; gestaltUndefSelectorErr when there is none
// (and *response is left alone), paramErr for a null response.
OSErr Gestalt(OSType selector, SInt32* response);

// Adds an answer; gestaltDupSelectorErr when the selector already has one.
OSErr NewGestaltValue(OSType selector, SInt32 newValue);
// Changes an existing answer; gestaltUndefSelectorErr when there is none.
OSErr ReplaceGestaltValue(OSType selector, SInt32 replacementValue);
// Removes an answer; gestaltUndefSelectorErr when there is none.
OSErr DeleteGestaltValue(OSType selector);

// Sets (adds or changes) an answer for a test.
void SetGestaltValueForTesting(OSType selector, SInt32 value);
// Puts the built-in table back, undoing every change above.
void ResetGestaltValuesForTesting();
