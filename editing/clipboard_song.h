// Interim: the clipboard's song part, as the song model asks for it. No clipboard exists
// yet, so there is no song part.
#pragma once

#include "platform/memory/mac_types.h"

// The song block held by the clipboard (a clipboard record of a kind other than 3), or 0.
Handle GetClipboardSongPart();
