// The one scrolling list of rows in a dialog: a list area with a scroll bar beside it. Its
// main client is the transpose dialog's note map, 128 rows (one per MIDI note) shown with
// the highest note at the top.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"

struct DialogListState {
  ControlRef scrollBar = nullptr;
  int16_t listItem = 0;
  int16_t rowHeight = 0;
  uint8_t highlight = 0;
  uint8_t fontSize = 0;
  int16_t pageSize = 0;
  int16_t lastScrollValue = 0;
  Rect listRect{};
  int16_t currentRow = 0;
};
extern DialogListState gDialogList;

constexpr int32_t kNoteMapSize = 128;
constexpr int16_t kNoteMapPageRows = 15;
// The target note of each MIDI note.
extern uint8_t gNoteMap[kNoteMapSize];
// Every note maps to itself.
void ResetNoteMap();

int16_t GetListScrollValue();
// The note of the top row: 127 - the scroll value.
int16_t GetListTopRowFromEnd();
// (y - list top) / row height; 0 without a row height.
int16_t GetRowAtY(int16_t y, int16_t rowHeight);
// Stores the value held within 0..the scroll bar's maximum and sets the scroll bar.
void SetListScrollValue(int32_t v);
// A part of the scroll bar: the arrows move one row, the page parts by the visible rows less
// one, the thumb to its new value; the value never leaves 0..maximum.
void HandleListScrollPart(ControlPartCode part, int16_t visibleRows);
// The note map's own steps: arrows (and the key commands 600 and 601) one row, pages 15.
void HandleNoteMapScroll(ControlPartCode part);
// Stores a typed target into the map entry of row; false (nothing changes) for a row or
// target outside 0..127.
bool StoreNoteMapValue(int32_t row, int32_t target);
