// The font and the window appearance style an opened document carries.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The program's font becomes the named family; the windows are drawn again with it.
void SetDocumentFont(ConstStr255Param name);
// The document's window appearance style becomes the current one and is set up again.
void ApplyDocumentAppearance(int16_t styleId);
// Fills the document's entries for the font and the appearance (gDocumentHooks).
void InstallDocumentAppearanceHooks();
