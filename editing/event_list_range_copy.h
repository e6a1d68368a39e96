// The pattern and scale tools' copy of a range from one event list into another, through a
// temporary clipboard and the paste (the tools set gPasteOptions and the repeat transposition
// around the call).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// With source: the range start..end of source copied into a temporary clipboard (the user's
// is set aside); without: the clipboard as it is. With extend non-zero the selection ends at
// start + extend. The clipboard's tracks are then pasted (merge as given) into destination at
// start. The current track's own list, the note range and the context are kept.
OSErr CopyRangeBetweenEventLists(Handle source, Handle destination, uint32_t start, uint32_t end,
                                 uint32_t extend, bool merge);
