#include "editing/clipboard_song.h"

// Interim: no clipboard exists yet.
Handle GetClipboardSongPart() { return Handle(); }
