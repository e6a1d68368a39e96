// Pop-up choices built item by item into one shared state and shown either as a standard
// menu or drawn by the program in a borderless window, in several columns when the list is
// long. One pop-up is built and shown at a time; the choice is left in gPopUpChoice.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kPopUpMaskItems = 1024;
constexpr int32_t kPopUpMaskWords = kPopUpMaskItems / 32;
constexpr uint32_t kDefaultPopUpRows = 17;
constexpr int16_t kGlyphBase = 200;   // glyph-grid items are the characters 200 + value
constexpr int16_t kGlyphOther = 217;  // the glyph of the item after a stepped grid
constexpr int16_t kPopUpSeparatorText = 23;  // application text shown for "--" items

// Draws an item of the flag mask (item index, its cell in the pop-up window's port).
using PopUpDrawHook = void (*)(int32_t item, const Rect* cell);
// Told of each enabled item the mouse moves onto while a drawn pop-up tracks, so that a value
// can follow the mouse before it is released.
using PopUpLiveHook = void (*)(int32_t item);

// In memory only.
struct PopUpBuildState {
  Handle itemText = nullptr;  // length-prefixed texts one after another
  Size textSize = 0;
  uint32_t itemCount = 0;
  uint32_t rowsPerColumn = kDefaultPopUpRows;
  int16_t widest = 10;
  int16_t lineHeight = 0;
  int16_t columnHeight = 0;
  int16_t columnWidth = 0;
  int16_t margin = 0;
  int16_t firstShown = 0;
  uint32_t fitCount = 0;
  uint8_t checkColumn = 1;
  uint32_t specialMode = 0;  // 0 normal, kPopUpGlyphMode for glyph grids
  uint32_t enabled[kPopUpMaskWords] = {};
  uint32_t marked[kPopUpMaskWords] = {};
  uint32_t flagged[kPopUpMaskWords] = {};
  PopUpDrawHook drawHook = nullptr;
  PopUpLiveHook liveHook = nullptr;  // cleared by BeginPopUpMenu
  Rect window{};  // where the drawn pop-up was last shown (global)
};
enum : uint32_t { kPopUpGlyphMode = 1 };

extern PopUpBuildState gPopUp;
// The zero-based chosen item, -1 for none.
extern int32_t gPopUpChoice;
// The user's pop-up preferences: bit 0x10 asks for standard menus instead of drawn ones.
extern uint8_t gPopUpPreferences;
constexpr uint8_t kPrefStandardPopUps = 0x10;

// Starts a pop-up's items. It leaves the pop-up window's port current (the items are measured
// there): take a local point to the screen before calling it.
void BeginPopUpMenu();
// Appends an item; a failed allocation empties the whole pop-up.
void AddPopUpItem(ConstStr255Param text);
// Items from 1024 on are always enabled, never marked and never flagged.
void DisablePopUpItem(int32_t n);
void MarkPopUpItem(int32_t n);
void SetPopUpItemFlag(int32_t n);
bool IsPopUpItemEnabled(int32_t n);
bool IsPopUpItemMarked(int32_t n);
bool IsPopUpItemFlagged(int32_t n);
// The text of item n (empty when there is none).
void GetPopUpItemText(int32_t n, Str255 text);

// Shows the pop-up with item current under the global point (v, h) and tracks the mouse.
// Non-zero when an item was chosen (the standard form gives the item number, the drawn
// form 1); gPopUpChoice holds the zero-based choice, -1 whenever nothing was chosen.
int32_t PopUpMenuEx(int16_t v, int16_t h, int32_t current, bool contextual);
int32_t PopUpMenuAtPoint(int16_t v, int16_t h, int32_t current);

int32_t CountStrListItems(int16_t id);
// Items from the strings first+1 .. count of 'STR#' id.
void BuildPopUpFromStrList(int16_t id, int32_t first, uint32_t rowsPerColumn);
void BuildPopUpFromAllStrings(int16_t id, uint32_t rowsPerColumn);
// Shows 'STR#' strListId at the top-left of gScratchRect with items current and second
// (when >= 0) marked; a choice + 1 becomes the number field's value.
int32_t ShowStrListPopUp(int32_t current, int16_t strListId, int32_t second);
// Rows per column for n items on the main screen.
void FitPopUpToScreen(int32_t n);
// Numbers first..last (among the first 32, those whose bit is clear in enableMask are
// disabled), then extraFirst+1..extraLast when extraLast > extraFirst; current marked.
// True with *number set when a number was chosen. live, when given, is told each item the
// mouse moves onto (item k of the main range is the number first + k).
bool ShowNumberRangePopUp(uint32_t enableMask, int32_t current, int32_t first, int32_t last,
                          int32_t extraFirst, int32_t extraLast, uint32_t rows, int32_t* number,
                          PopUpLiveHook live = nullptr);
// A grid of the values 0, step, 2 x step .. count drawn as numbers (the glyph 217 after
// them when step > 1, then the optional extra item). Multi-select: the items whose bit is
// set in *result are marked and the chosen item's bit is toggled in *result; otherwise
// *result becomes the chosen value (the extra item gives 255). True when something was chosen.
bool ShowGlyphGridPopUp(uint32_t* result, uint8_t choiceByte, bool multi, ConstStr255Param extraItem,
                        int16_t step, int16_t count, uint32_t flagMask, int16_t fontSize,
                        int16_t margin, uint32_t rows, const Rect* anchorRect, PopUpDrawHook drawHook);
// The 17-item grid at gScratchRect (local to the current port).
bool PopUpMenuWithRect(uint32_t* result, uint8_t choiceByte, bool multi, int16_t step);
