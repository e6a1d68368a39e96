// Small helpers over the items of the current classic dialog (gCurrentDialog), shared with
// the nib dialogs. Item numbers n are page-relative: the item is n + gDialogIdBase, except
// for IsOKHit, which tests the absolute item 1. Every item helper starts with
// GetCurrentDialogItem, which leaves the item's type, handle and rectangle in the state.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "shell/dialogs/dialog_state.h"

// Sets (on) or clears bit of *byte.
void SetBitInByte(uint8_t* byte, int32_t bit, bool on);

// gDialogItemHit within page items a..b; IsOKOrCancelHit = (1, 2); IsOKHit: hit == 1.
bool IsItemHitInRange(int16_t a, int16_t b);
bool IsOKOrCancelHit();
bool IsOKHit();

// With the appearance theme (gAppState word 1 bit 0x4000) Activate/DeactivateControl,
// otherwise HiliteControl 0 / 255.
void ActivateItemControl(ControlRef control);
void DeactivateItemControl(ControlRef control);

// GetDialogItem of the current dialog into gDialogItemType, gDialogItemHandle and
// gDialogItemRect; false (the state cleared) when there is no such item.
bool GetCurrentDialogItem(int16_t n);
// The item's control, or null for items without one.
ControlRef GetCurrentDialogControl(int16_t n);
void LoadDialogItemRect(int16_t n);   // the item's rectangle into gScratchRect
void InvalDialogItem(int16_t n);
void LoadItemInnerRect();             // gScratchRect inset by 4 across and 3 down
void LoadItemUpperArrowRect();        // the top 18 pixels of gScratchRect
void LoadItemLowerArrowRect();        // the bottom 18 pixels

void SetDialogItemString(ConstStr255Param text, int16_t n);
// The item's text into gStringBuffer; returns it.
StringPtr GetDialogItemString(int16_t n);
// The number at the start of the item's text (see ParseLeadingNumber).
int32_t GetDialogItemNumber(int16_t n);
void SetDialogItemNumber(int32_t v, int16_t n);
double GetDialogItemDouble(int16_t n);
int32_t GetDialogItemTenths(int16_t n);
int16_t GetDialogControlValue(int16_t n);
void SetDialogControlValue(int16_t n, int16_t v);
// value := 1 - value; returns the new value.
int16_t ToggleDialogControl(int16_t n);
void StoreCheckboxBit(uint8_t* byte, int32_t bit, int16_t n);
void SetDialogCheckbox(int16_t n, bool flag);
// Items a..b to 0 and c to 1; the band at the bottom of c is invalidated.
void SelectRadioInGroup(int16_t a, int16_t b, int16_t c);
void SetRadioPair(int16_t a, int16_t b, bool flag);
void HandleRadioGroupHit(int16_t a, int16_t b);
void HandleRadioPairHit(int16_t a, int16_t b);
// Offset of the first set control of the n items from a; 0 when none.
int16_t GetSelectedRadioIndex(int16_t a, int16_t n);
void ToggleCheckboxInRange(int16_t a, int16_t b);
// Replaces the item's handle, keeping its type and rectangle.
void SetDialogItemHandle(int16_t n, DialogItemHandle handle);
void SelectDialogItemAllText(int16_t n);
// Activates or deactivates each listed page item.
void SetDialogItemsActive(const uint8_t* items, int32_t count, bool on);
// The note's name with octave into the item; the note typed into the item (a name or a
// number, kNoNote when it names none).
void SetDialogItemNoteName(int32_t note, int16_t n);
int32_t GetDialogItemNote(int16_t n);
// The pitch named as the tonic of a major key into the item; the key code of the note typed
// into the item (the typed-accidental bits cleared first; C for a text that names no note).
void SetDialogItemPitchName(int32_t pitch, int16_t n);
uint8_t GetDialogItemKey(int16_t n);
void SetDialogFontId(uint16_t id);
uint16_t GetDialogFontId();
