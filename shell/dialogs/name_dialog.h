// The small name editor that opens over a row (DLOG 573): the name in one field, OK (the
// default, also Return and Enter) takes it, Cancel and Escape leave it.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Edits name (a Pascal string) in the dialog placed with its top left at the global point;
// the accepted text is cut to maxLength characters. True when the user accepted.
bool EditNameInDialog(Point globalTopLeft, Str255 name, uint8_t maxLength);
