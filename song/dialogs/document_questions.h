// The questions opening a document asks: what to do about a file it refers to that cannot be
// found. Alerts of the dialog toolkit with the program's texts.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Alert 149 for a missing file: the item hit (1 keep, 2 forget, 3 find; 4 to 6 the same for
// every remaining file). Without allowSkip the forget items answer keep.
int16_t AskForMissingFileAlert(ConstStr255Param name, int16_t textA, int16_t textB, bool allowSkip);
// Alert 543 after the file was not found either: 2 forgets the reference.
int16_t AskAfterFailedFindAlert(ConstStr255Param name);

// Fills the missing-file entries of gDocumentHooks.
void InstallDocumentQuestionHooks();
