// The menu items that open the shell's own windows and dialogs: the application menu (the
// about window, the Preferences dialog), the chase options (Options item 8), the tempo dialog
// (Transform item 13) and the time and key signature dialog (Transform item 14). Items whose
// handlers live elsewhere answer -9874 (not handled).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

enum : int16_t {
  kAppAboutItem = 1,
  kAppPreferencesItem = 3,
  kOptionsChaseItem = 8,
  kTransformTempoItem = 13,
  kTransformSignatureItem = 14,
};
constexpr OSStatus kMenuItemNotHandled = -9874;

// Gives the application menu's items their commands (About, Preferences), so that the
// command path and the menu path reach the same handlers.
void SetAppMenuCommands();
OSStatus HandleAppMenu(int16_t item);
OSStatus HandleOptionsMenu(int16_t item);
OSStatus HandleTransformMenu(int16_t item);
