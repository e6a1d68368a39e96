// The classic dialog toolkit: opening, showing, running and closing the one current dialog
// made from 'DLOG'/'DITL' resources, the shared modal filter with its exchangeable hook, and
// running a dialog routine on top of another one.
//
// A dialog goes: OpenDialogById -> ShowCurrentDialog -> RunModalDialog in a loop (the page
// code tests gDialogItemHit) -> CloseCurrentDialog. Main thread only.
#pragma once

#include <cstdint>

#include "shell/dialogs/dialog_controls.h"

// The DLOG id whose window keeps its movable-modal class; every other one becomes a
// document window at open.
constexpr int16_t kKeepWindowClassDialogId = 131;
// Reference of the help button control.
constexpr intptr_t kHelpButtonReference = 21930;

// Both resources exist in the open resource files.
bool HasDialogResources(int16_t dlogId, int16_t ditlId);
// Opens the dialog hidden and makes it current; false after an error, which is reported
// (memory below the reserve -108, a missing resource ResError or -108, no dialog -192).
bool OpenDialogEx(int16_t dlogId, int16_t ditlId, void* storage, uint32_t busy);
bool OpenDialogById(int16_t id);
// Centred across the main screen (or moved to *savedTopLeft when it is not 0,0), shown,
// selected; default item 1; gDialogItemHit = 0.
void ShowCurrentDialog();
void ShowCurrentDialogAt(const Point* savedTopLeft);
void ShowCurrentDialogWithNoteInput();
// One ModalDialog with the standard hook; returns gDialogItemHit.
int16_t RunModalDialog();
// ModalDialog with gModalFilterUPP and the hook as it is, the resource file kept.
int16_t ModalDialogKeepResFile();
// True when the hit item is the help button (the help topic is gDialogHelpTopic).
bool HandleDialogHelpButton(int16_t item);
void CloseCurrentDialog();
void CloseCurrentDialogSavingPosition(Point* topLeft);

// Runs fn(arg) while another dialog is current, saving and restoring the dialog state
// around it. False (fn not called, a beep) when kMaxNestedDialogs are already stacked.
bool RunNestedDialogCall(void (*fn)(void*), void* arg);
// The stacked (or current) dialog whose window this is, or null.
DialogRef FindDialogForWindow(WindowRef window);

// The filter procedure behind gModalFilterUPP: stores its arguments and calls the hook.
Boolean DialogModalFilterProc(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit);
extern ModalFilterUPP gModalFilterUPP;
// Reports an item (absolute number) through the filter call's item pointer.
void ReportFilterItem(int16_t item);
// The key handling shared by the hooks; letterShortcuts: a typed letter presses the button
// whose title begins with it.
bool FilterDialogKeys(bool letterShortcuts);
// The hooks: standard (keys, wheel steps, arrow buttons, click-report items), alert, and
// note input (the standard one plus notes from the MIDI input into the focused field).
bool SharedModalFilter();
bool AlertFilterHook();
bool FilterNoteInputEvent();
