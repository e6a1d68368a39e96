// The about window, which is also the start-up splash: DLOG 556, opened and shown while the
// program starts and hidden at the end of start-up; the About command shows it again until
// the user clicks or types. Items 5, 6 and 7 are links to the maker's pages ('STR#' 556).
#pragma once

#include <cstdint>
#include <string>

#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

constexpr int16_t kAboutDialogId = 556;
constexpr int16_t kAboutLinksStrList = 556;
enum : int16_t {
  kAboutLateItem = 3,       // out of sight until the window has been up for half a minute
  kAboutFirstLinkItem = 5,
  kAboutLastLinkItem = 7,
};
// The about loop runs while kAppWord4AboutLoop is set; the late item is shown after
// kAboutLateTicks when kAppWord1AboutLateItem is set (shell/base/app_state.h).
constexpr uint32_t kAboutLateTicks = 1799;
// How far ShowHideDialogItem moves an item out of sight.
constexpr int16_t kItemOutOfSight = 16384;

// The about dialog's record (not in the window list), null until it was first opened. It
// stays (hidden) after it was closed, so that the About command can show it again.
extern AppWindow* gSplashWindow;

// Makes the dialog in front of every window, centred on the main screen, still hidden.
void OpenSplashWindow();
// Draws and shows it, takes stray clicks and keys, selects it.
void ShowSplashWindow();
// Hides it and ends a running about loop.
void CloseSplashWindow();
// Moves an item of the about dialog out of sight, or back when show is set, and redraws.
void ShowHideDialogItem(int16_t item, bool show);
// True when gLastMousePoint (local to the dialog) lies in the item, or the Option key is down.
bool IsMouseOverLink(int16_t item);
// The About command: shows the window until a click, a key or a switch of application ends
// it; a click in a link (or an Option-click anywhere: every link) opens the link. Nothing
// while a modal dialog runs.
void RunSplashWindowLoop();
// The address of a link item ("" for other items or a missing resource).
std::string AboutLinkAddress(int16_t item);
// Opens a web address with the desktop's opener (see SetHelpOpenProc); 0 on success.
OSStatus OpenWebAddress(const char* url);
