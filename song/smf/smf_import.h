// Standard MIDI File import (formats 0, 1 and 2) into a new song or into the current song.
//
// New song (mergeTick 0): the song is built beside the open songs and put into the current
// song slot only when the whole file has been read; a song that held the slot before (a
// bare song the open dispatcher chose to replace) is disposed then, unless the clipboard or
// the undo ring holds it. The new song takes the file's tempo, meter and key changes, its
// markers, lyrics and names; format 1 and 2 files give one track per chunk after the first,
// whose events join the first track; a format-0 file is one track whatever count its header
// gives. The new song's main window is brought to the front.
//
// Merge (mergeTick >= 1): the events are merged into the current track from mergeTick on,
// or, when the file has several tracks (or the song is in song mode 1, or the current track
// plays audio), into new tracks added behind the song's tracks. Tempo and meter changes are
// not taken into an existing song; key signatures and markers are. The merge is one undo step
// over every track of the song when the undo ring exists (-108 when the step cannot be kept).
//
// Ticks are rescaled from the file's division to the song's resolution: round(t x song
// ticks per quarter / division) + 1. Time-code divisions go through the song's tempo map.
//
// Results: 0; 43 not a Standard MIDI File (no 'MThd', a header shorter than six bytes, or a
// format above 2); 71 a track chunk is missing or cut short; file and memory errors. On any
// error no open song has changed and nothing is left allocated.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "song/smf/smf_track_parser.h"

// undoKind names a merge's undo step (a kind of the undo step names; 0 "Edit").
OSErr ImportStandardMidiFile(const FSSpec* fileSpec, uint32_t mergeTick, int32_t undoKind = 0);
// The import proper, on the stream the caller opened (gStreamRefNum); fileName names the
// song and the tracks that carry no name of their own.
OSErr ParseStandardMidiFile(ConstStr255Param fileName, uint32_t mergeTick, int32_t undoKind,
                            bool songLocked);

// The time-code start offset of the last import (meta event 0x54); it becomes the song start
// offset (gSongStartOffset) and its frame rate the program's.
extern SmfStartOffset gSmfStartOffset;
