// Importing an audio file into the current song: the Import Audio command, the files the
// Finder opens or drops, and sound taken out of movies. A file the engine cannot stream as
// it is (WAVE, MP3, FLAC, Ogg Vorbis, AIFF-C, a movie's sound) is first converted into a new
// AIFF file beside it (or in the chosen media folder); the file then becomes a region on a
// new track, as one undoable step.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// The undo kind of an audio import, and of a MIDI file's.
constexpr int32_t kUndoKindAudioImport = 11;
constexpr int32_t kUndoKindMidiImport = 25;
// A 'TEXT' file that is no audio file (the document opener then tries other kinds).
constexpr OSErr kNotAudioFileErr = -208;
// The open dialog's kind for imports.
constexpr int16_t kImportDialogKind = 4;

// Names the undo step (SetCurrentUndoKind) inside it.
using UndoKindSetter = int32_t (*)(void* context);
int32_t SetAudioImportUndoKind(void* context);

// Imports file: position (a song tick at which the new region is selected; 0 none);
// intoCurrentTrack puts the audio on the current track instead of a new one; noRecent keeps
// the file out of the recent audio files; allowText tries 'TEXT' files as Ogg Vorbis;
// fileType 0 reads the Finder type; setter, when given, opens one undoable step and names it.
// A failure of the attach is reported here; failures before it (the file's type, the
// conversion) are only returned.
OSErr ImportAudioFile(const FSSpec* file, int32_t position, bool intoCurrentTrack, bool noRecent, bool allowText,
                      OSType fileType, UndoKindSetter setter);
// The Import Audio menu command: the open dialog over the import types, then ImportAudioFile.
void ImportAudioFileCommand();
// The document opener's entry for audio files (gDocumentHooks.importAudioFileDocument).
OSErr ImportOpenedAudioFile(const FSSpec* file, OSType type, int32_t arg);
// Installs ImportOpenedAudioFile as the document opener's audio importer.
void InstallAudioImportHooks();
// The types the open dialog offers.
int16_t GetImportTypeList(const OSType** types);
