// The ids of the program's menus: the menus of the bar (MBAR 128), the system Help menu and
// the temporary menu that pop-ups and contextual menus are built in.
#pragma once

#include <cstdint>

enum : int16_t {
  kAppMenuId = 427,
  kFileMenuId = 428,
  kEditMenuId = 429,
  kTransformMenuId = 430,
  kViewMenuId = 433,
  kWindowMenuId = 435,
  kToolsMenuId = 440,
  kOptionsMenuId = 445,
  kHelpMenuId = 498,
  kSystemHelpMenuId = -16490,
  kTempMenuId = 31924,
  kMenuBarResId = 128,
};
