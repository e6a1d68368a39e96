// The colour picker: a movable modal dialog that asks for one colour.
//
// The dialog shows the caller's prompt, the original and the new colour side by side, the new
// colour's red, green and blue components (0..255) and its hue (0..359 degrees), saturation
// and value (0..100 per cent) as number fields. Typing in a field changes the new colour at
// once (only digits are taken; a value above the field's greatest is held at it); a click on
// the original colour takes it back as the new one. Return (or OK) confirms, Escape,
// Command-period (or Cancel) cancels. A colour that is confirmed without an edit comes back
// exactly as it was given.
//
// Scripted answers, for tests and scripting: when the environment variable ZARIN_COLOR_REPLY
// holds answers separated by ';', each call takes the next one without showing the dialog:
// six hex digits "rrggbb" confirm that colour (each component widened by x 257), "-" (or
// anything else) cancels. Once the answers are used up the dialog is shown again.
//
// Main thread only.
#pragma once

#include "platform/dialogs/dialogs.h"
#include "platform/quickdraw/quickdraw_types.h"

// Item numbers of the dialog.
enum : DialogItemIndex {
  kColorPickerOKItem = 1,
  kColorPickerCancelItem,
  kColorPickerPromptItem,
  kColorPickerOriginalItem,  // the original colour: a click takes it back
  kColorPickerNewItem,       // the new colour
  kColorPickerRedItem,       // number fields, 0..255
  kColorPickerGreenItem,
  kColorPickerBlueItem,
  kColorPickerHueItem,       // 0..359
  kColorPickerSaturationItem,  // 0..100
  kColorPickerValueItem,       // 0..100
};

// Asks for a colour starting from *inColor. where is the dialog's top left corner (global);
// (0,0) centres it on the main screen. True with *outColor set when the user confirmed;
// false, *outColor untouched, when the dialog was cancelled (or could not be made).
// outColor may be inColor.
Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* inColor, RGBColor* outColor);

// Called once the dialog is on the screen, before it takes any event (tests post their input
// from here). Null removes it.
using ColorPickerShownProc = void (*)(DialogRef dialog, void* userData);
void SetColorPickerShownProc(ColorPickerShownProc proc, void* userData);
