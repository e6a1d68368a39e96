// What the window toolkit asks of the menus when the front window changes. Installed by the
// menus at start-up (InstallWindowMenuHooks in shell/menus/menu_state.h); an entry not
// installed does nothing.
#pragma once

struct WindowMenuHooks {
  // Brings the menus up to date for the new front window. Main thread.
  void (*updateMenuState)();
  // Sets the Window menu's marks. Main thread.
  void (*markWindowMenuItems)();
};
extern WindowMenuHooks gWindowMenuHooks;
