// Activate and deactivate events of the program's windows, by window kind, and clicks in
// their drag regions.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

// Display word: bit 0 song list active, bit 3 marker list active, bit 4 mixer active, bit 5
// keeps the main editor's scroll bars on when it is deactivated.
extern uint16_t gDisplayWord;
enum : uint16_t {
  kDisplaySongListActive = 0x1,
  kDisplayMarkerListActive = 0x8,
  kDisplayMixerActive = 0x10,
  kDisplayKeepEditorActive = 0x20,
};
constexpr int16_t kProgressDialogActivateKind = 18;

// A window owner's own activate (active true) or deactivate step.
using WindowActivateProc = void (*)(AppWindow* w, bool active);
void SetWindowActivateProc(int16_t kind, WindowActivateProc proc);
// Called after any of the program's windows was activated (the front window changed); the
// editing commands install their filter update here. Null: nothing.
extern void (*gFrontWindowActivatedProc)();

// 18 for the progress dialog's window, else its record's kind; 0 for other windows.
int16_t GetWindowKindForActivate(WindowRef window);
// 0, or -9874 when the event was not handled (ignored, or a window that is not the
// program's). A null event stands for one made for the window.
OSStatus ActivateWindowByKind(EventRecord* event, WindowRef window, bool focusPlugin);
OSStatus DeactivateWindowByKind(EventRecord* event, WindowRef window);

// A click in the drag region: brings the window forward (not with the command key), drags
// it within the screens, keeps it on the screen that holds most of it, serves the activate
// and update events that follow.
void DragAppWindow(const EventRecord* event, WindowRef window);
// Moves the window so that enough of its title bar stays on the screen that holds most of it.
void KeepWindowOnBestScreen(WindowRef window);
