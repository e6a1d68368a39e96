// The one active number field: a number drawn in a window that the user types into or
// drags with the mouse (value_drag.h). Code that takes new input first commits it.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

enum : uint32_t {
  kValueFieldDecimal = 1u << 31,       // takes a decimal point (tenths)
  kValueFieldDashAtMinimum = 1u << 30, // shows "--" at or below the minimum
  kValueFieldWarped = 1u << 29,        // the cursor must be put back after the drag
  kValueFieldDragWaits = 1u << 28,     // the mouse left the start: no wait between steps
  kValueFieldArrowEnded = 1u << 27,    // the arrow-cursor mode ended
  kValueFieldHalves = 1u << 26,        // clicks on the upper and lower halves step by one
  kValueFieldFreshText = 1u << 25,     // the first typed character replaces the text
  kValueFieldTabBit = 1u << 16,        // cleared when Tab commits
  kValueFieldAllDragBits = (1u << 30) - 1,
};

using ValueChangeProc = void (*)(int32_t value);
using ValueDrawProc = void (*)(int32_t value);
using ValueAfterProc = void (*)();
using ValueKeyProc = void (*)(uint8_t ch);

// In memory only.
struct ValueFieldState {
  int32_t nested = 0;   // non-zero while another owner borrowed the field
  uint32_t flags = 0;   // 0: no field active
  Rect rect{};          // the field, inset by 1
  ValueChangeProc changeProc = nullptr;
  ValueDrawProc drawProc = nullptr;
  int32_t value = 0;
  int32_t minimum = 0;
  int32_t maximum = 0;
  GrafPtr port = nullptr;
  int32_t maxTextLength = 0;
  uint8_t limitCheck = 0;
  RGBColor savedBack{};
  RGBColor savedFore{};
  int16_t fontId = 0;
  int16_t fontSize = 0;
  ValueAfterProc afterProc = nullptr;
  ValueKeyProc keyProc = nullptr;
  Rect savedScratchRect{};
  GrafPtr savedPort = nullptr;
  unsigned char text[256] = {};  // the typed text, length-prefixed
};

extern ValueFieldState gValueField;

bool IsValueFieldActive();
// Makes the field of gScratchRect active for typing and dragging without tracking the
// mouse: the bounds and procedures are stored, the value drawn and the text marked fresh.
void ActivateValueField(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                        int32_t value, ValueDrawProc drawProc);
// Stores the value, sets the text ("--" for a dash field at its minimum; tenths with a
// point in a decimal field) and redraws.
void SetValueFieldNumber(int32_t value);
// The number the typed text stands for (not clamped).
int32_t ReadValueFieldText();
// A typed character; answers true when the field took it. A character it does not take
// commits the field and is left to the caller.
bool HandleValueFieldKey(uint8_t ch);
bool HandleValueFieldKeyIfActive(uint8_t ch);
// Reads the typed number, clamps it (beeping for an out-of-range number with limit
// checking), stores it and calls changeProc, then ends the field. While the field is
// borrowed (nested) nothing is read, stored or ended.
void CommitValueFieldEdit();
// Draws the text right-aligned in the field.
void RedrawValueField();
// Forgets the field without committing (tests, and a window that closes).
void ResetValueField();
