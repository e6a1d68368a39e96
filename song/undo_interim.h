// Kept for the sources that still include it: the undo ring and the track-edit brackets now
// have headers of their own (song/undo_ring.h, song/track_edit_brackets.h).
#pragma once

#include "song/track_edit_brackets.h"
#include "song/undo_ring.h"
