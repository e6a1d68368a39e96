// The questions opening, saving and quitting ask about the open document: whether to save
// its changes before they would be lost, and what to do about a file it refers to that
// cannot be found. Both are alerts of the dialog toolkit with the program's texts.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Alert 511: "Save", "Cancel", "Don't Save". Asked only while the song is modified; "Save"
// saves (asking for a name when the document has none). 0 to go on with the command, 1 to
// cancel it (Cancel, or a save that was cancelled or failed).
int16_t AskToSaveChangesAlert(int16_t command);
// Alert 149 for a missing file: the item hit (1 keep, 2 forget, 3 find; 4 to 6 the same for
// every remaining file). Without allowSkip the forget items answer keep.
int16_t AskForMissingFileAlert(ConstStr255Param name, int16_t textA, int16_t textB, bool allowSkip);
// Alert 543 after the file was not found either: 2 forgets the reference.
int16_t AskAfterFailedFindAlert(ConstStr255Param name);

// Fills the save-changes and missing-file entries of gDocumentHooks.
void InstallDocumentQuestionHooks();
