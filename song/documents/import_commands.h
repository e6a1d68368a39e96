// The File menu's open and import commands: each asks for a file in the open dialog, then
// hands it to its reader. A cancelled dialog changes nothing and answers userCanceledErr.
#pragma once

#include "platform/memory/mac_types.h"

// Any file, opened by its kind through the open dispatch (a song document, a MIDI file into
// a free song slot, an audio file, a play list or a movie).
OSErr RunOpenAnyFileCommand();
// A Standard MIDI File through the open dispatch: a song of its own in a free song slot.
OSErr RunImportMidiFileCommand();
// A system-exclusive dump into the current track at the song position.
OSErr RunImportSysExDumpCommand();
// A lyrics text onto the notes of the current track from the song position on.
OSErr RunImportLyricsCommand();
