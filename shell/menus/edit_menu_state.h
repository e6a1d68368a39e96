// Which Edit-menu items are enabled: a mask of 24 bits (item n = bit n-1) worked out from the
// front window's kind, the selection, the clipboard and undo.
#pragma once

#include <cstdint>

struct EditMenuInputs {
  bool notepadTextFocused = false;  // a notepad text view has the focus
  bool trackTextEntry = false;      // the track window's text-entry byte
  bool canUndo = false;
  bool canRedo = false;
  bool hasFrontDocWindow = false;
  int16_t windowKind = 0;           // the front window's toolbox kind (negative: a system one)
  bool hasAppWindow = false;        // the front window is one of the program's
  int16_t kind = 0;                 // its AppWindow kind
  bool hasTimeSelection = false;
  bool pasteFlag = false;           // the caller allows pasting
  bool hasClipboard = false;
  bool trackQualifies = false;      // a selected track qualifies (the menu-state track scan)
  bool singleSelectedTrack = false;
  bool secondFlag = false;          // the caller's second flag (items 9 and 11)
  bool ownerAdds90 = false;         // kind 15: what the window's owner reports
  bool ownerAdds40 = false;
  bool stripHasChain = false;       // kind 14: the current strip's insert chain exists
  bool firstInsertAnswers = false;
};

constexpr int16_t kEditMenuItemCount = 24;

uint32_t ComputeEditMenuMask(const EditMenuInputs& in);
// The inputs from the program's state (front window, undo ring, selection).
EditMenuInputs GatherEditMenuInputs();
// Enables the Edit menu's items by the mask.
void ApplyEditMenuMask(uint32_t mask);
