// The dialog behind the Navigation Services calls: its items, its list geometry and the run.
#pragma once

#include <string>

#include "platform/navigation/nav_folder_list.h"

enum NavDialogMode : SInt16 { kNavModeOpen = 0, kNavModeSave = 1, kNavModeChooseFolder = 2 };

// Item numbers of the dialog.
enum : DialogItemIndex {
  kNavDefaultItem = 1,  // Open / Save / Choose
  kNavCancelItem,
  kNavListItem,         // the folder's entries (a user item)
  kNavUpItem,           // to the enclosing folder
  kNavPathItem,         // the shown folder's path
  kNavMessageItem,
  kNavNameLabelItem,    // save only
  kNavNameItem,         // save only: the file's name
  kNavChoiceItem,       // the caller's check box (hidden without a label)
};

// The list's rectangle in the dialog (its scroll bar to the right) and the height of a row.
constexpr Rect kNavListRect{62, 14, 242, 430};
constexpr Rect kNavScrollBarRect{62, 429, 242, 446};
constexpr SInt16 kNavRowHeight = 18;
// The content size of the dialog.
constexpr SInt16 kNavDialogWidth = 460;
constexpr SInt16 kNavDialogHeight = 328;

struct NavDialogRun {
  NavDialogMode mode = kNavModeOpen;
  std::string startFolder;           // absolute host path
  const NavDialogOptions* options = nullptr;
  NavListFilter filter;
  // Out:
  FSSpec chosen;                     // the chosen item
  std::string shownFolder;           // the folder shown last
  Boolean choice = false;
};

// Runs the dialog modally. noErr with run->chosen, or userCanceledErr.
OSErr RunNavDialog(NavDialogRun* run);
