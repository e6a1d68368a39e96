// The font and the window appearance style a document carries.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The program's font becomes the named family; the windows are drawn again with it.
void SetDocumentFont(ConstStr255Param name);
// The document's window appearance style becomes the current one and is set up again.
void ApplyDocumentAppearance(int16_t styleId);
// The program's font name and window style, for a document being saved.
void GetDocumentFontName(Str255 name);
int16_t GetDocumentAppearance();
// Fills the document's entries for the font and the appearance (gDocumentHooks).
void InstallDocumentAppearanceHooks();
