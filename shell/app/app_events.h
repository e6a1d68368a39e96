// The two Carbon event handlers through which all input reaches the program, and the one
// classic dispatcher they feed: every event becomes a classic record in gLastEvent and goes
// by event type, window part and window kind to the handler of the window's owner.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "shell/menus/menu_state.h"
#include "shell/app/command_events.h"
#include "shell/windows/app_windows.h"

constexpr OSStatus kEventNotHandled = -9874;

// The application handler for its event types, the idle timer, and the window handler on
// every listed window. A second call replaces the first's handlers.
void InstallAppEventHandlers();
// The standard handler and the window handler on one window.
void InstallAppWindowHandlers(WindowRef window);

OSStatus HandleApplicationEvent(EventHandlerCallRef next, EventRef event, void* refcon);
OSStatus HandleWindowEvent(EventHandlerCallRef next, EventRef event, void* refcon);
// Returns the mouse-down handler's result for a mouse-down, else 1.
int32_t DispatchEventRecord(EventRecord* event);
int32_t HandleMouseDown(int32_t param, EventRecord* event, WindowRef window, int16_t part);
int32_t HandleContentClick(int32_t param, EventRecord* event, WindowRef window);
void HandleMouseUp(EventRecord* event);
void HandleKeyDown(EventRecord* event);
void HandleFunctionKey(uint8_t keyCode);
// menuResult: menu id in the high half, item in the low half.
void DispatchMenuChoice(int32_t menuResult);
void HandleUpdateEvent(EventRecord* event);
int32_t DrawWindowContent(WindowRef window, int16_t kind);
void HandleActivateEvent(EventRecord* event);
void HandleSuspendResume(EventRecord* event);
void HandleHighLevelEvent(EventRecord* event);
// Windows are hidden, not disposed. With repeat and the Option key held in gLastEvent, the
// new front windows are closed too.
void HideAppWindow(WindowRef window, bool repeat);
void CloseAppWindow(WindowRef window);
// DialogSelect; the progress dialog's item stops its operation; an event that no dialog item
// took goes to DispatchEventRecord. Returns 1, or the dispatcher's result.
int32_t HandleDialogEvent(EventRecord* event);

// Fills the dialog toolkit's hook table (shell/dialogs/event_dispatch_hooks.h) with this
// dispatcher and the application handler.
void InstallEventDispatchHooks();
