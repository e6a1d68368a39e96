// The display and option switches of the view-options menu, the editor display menus and the
// start-up settings: each toggles one stored option and redraws what shows it.
#pragma once

#include <cstdint>

constexpr int16_t kOptionToggleItems = 24;

// One byte per option item 1..24 (index 0 unused); the view word and the values of the
// editor display menus.
extern uint8_t gOptionBytes[kOptionToggleItems + 1];
extern uint16_t gViewOptionWord;      // 0x100: item 13 of the view menu, 0x200: option item 8
extern uint8_t gOptionCopyByte;       // option item 5's copy
extern uint16_t gChosenValue;         // the value chosen in menu 72
extern uint16_t gActiveValue;         // 0 while switched off (view menu item 24)
extern uint8_t gEditorDisplayMode;    // menu 70 items 1-4
extern uint8_t gEditorDisplayFlag;    // menu 70 item 6
extern uint8_t gValueMenuFlag;        // menu 72 item 4
extern uint8_t gDisplayChoiceByte;    // menu 79
extern uint8_t gRefreshModeByte;      // menu 87 items 1-3
extern uint8_t gRefreshFlagByte;      // menu 87 item 5

// Items 1-24; other items do nothing.
void HandleOptionToggleItem(int16_t item);
// The view-options menu (433): its own items 13 and 24, the rest as option toggles; the
// main editor is redrawn afterwards.
void HandleViewOptionsMenu(int16_t item);
// Menus 70, 72, 79 and 87: the editor display values.
void HandleEditorDisplayMenu(int16_t menuId, int16_t item);
