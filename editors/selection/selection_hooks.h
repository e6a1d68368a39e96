// What the main editor's selection tracker asks of the program above it and of the editors
// not yet built. An entry not installed does nothing.
#pragma once

#include <cstdint>

struct SelectionHooks {
  // Locates the transport to a tick (0: to the time selection's start, which becomes the play
  // range). Main thread.
  void (*locateToPosition)(uint32_t position);
  // Opens the note dialog for the note at byte offset of the current track's list. Main thread.
  void (*openNoteEventDialog)(int32_t offset);
  // Opens the system-exclusive dialog for the event at byte offset of the current track's
  // list. Main thread.
  void (*openSysExEventDialog)(int32_t offset);
  // A click in the keyboard or drum column of the current pane at y. Main thread.
  void (*trackKeyboardAudition)(int16_t y);
  // A press on a note's body (the note at gHitEventOffset of the current track) with the
  // modifiers of the press: the note moves, copies and length drags. Main thread.
  void (*clickNoteBody)(uint32_t modifiers);
  // A press on the start mark of the sequence block at byte offset of the current track: the
  // block moves in time. Main thread.
  void (*dragBlockEvent)(int32_t offset);
  // A press on the end mark of that block: its length follows the mouse. Main thread.
  void (*dragBlockLength)(int32_t offset);
  // Opens the sequence event dialog ("sevent") of that block. Main thread.
  void (*openSequenceEventDialog)(int32_t offset);
  // A press in the program lane at the window point: true when it hit a program change's
  // circle and its dialog was shown. Main thread.
  bool (*clickProgramEvent)(int16_t h, int16_t v);
  // Moves (or with copy, copies) the range start..start + length of track source to track
  // target at newStart, as one undoable step; 0 when done. Main thread.
  int16_t (*trackRangeClipboardOp)(int16_t source, int16_t target, uint32_t start, uint32_t length,
                                   uint32_t newStart, bool copy);
  // True while the switch of item 4 of menu 72 is on: drops are timed by their position.
  bool (*isDropTimingSwitchOn)();
};
extern SelectionHooks gSelectionHooks;

void CallLocateToPosition(uint32_t position);
// False while nobody installed the switch.
bool CallIsDropTimingSwitchOn();
void CallOpenNoteEventDialog(int32_t offset);
void CallOpenSysExEventDialog(int32_t offset);
void CallTrackKeyboardAudition(int16_t y);
void CallClickNoteBody(uint32_t modifiers);
void CallDragBlockEvent(int32_t offset);
void CallDragBlockLength(int32_t offset);
void CallOpenSequenceEventDialog(int32_t offset);
// False while nobody installed the program lane's click.
bool CallClickProgramEvent(int16_t h, int16_t v);
// dragNotAcceptedErr (-1857: nothing changed) while nobody installed the operation.
int16_t CallTrackRangeClipboardOp(int16_t source, int16_t target, uint32_t start, uint32_t length,
                                  uint32_t newStart, bool copy);
