// What opening and saving documents ask of other subsystems: the missing-file and save-changes
// questions, the audio-file manager, playback, the importers of the other file kinds and the
// owners of the document-wide settings. Each entry is for the subsystem that owns the service
// to install (its layer's installer, called from InstallProgramHooks); the sequencer applies
// the header's frame rate and sync source, and an entry not installed does the default
// written beside its procedure below. The data a document carries for a missing service is
// kept in the document (and saved again) rather than dropped. All entries are called on the
// main thread.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

struct DocumentHooks {
  int16_t (*askForMissingFile)(ConstStr255Param name, int16_t textA, int16_t textB,
                               bool allowSkip);                      // the file dialogs
  int16_t (*askAfterFailedFind)(ConstStr255Param name);
  OSErr (*readReferencedAudioHeader)(uint8_t* entry, int16_t fork);  // the audio-file manager
  OSErr (*registerReferencedAudioFile)(uint8_t* entry, const FSSpec* file);
  void (*forgetReferencedAudioFile)(uint8_t* entry);
  OSErr (*rewriteUnpackedAudioHeader)(int16_t fork, bool caf, const uint8_t* description,
                                      float rate);
  void (*stopPlaybackForOpen)(bool movie);      // the transport
  int16_t (*askToSaveChanges)(int16_t command);  // the document windows
  OSErr (*importAudioFileDocument)(const FSSpec* fileSpec, OSType type, int32_t arg);  // media
  OSErr (*openJukeboxPlayList)(const FSSpec* fileSpec);
  OSErr (*openMovieDocument)(const FSSpec* fileSpec);
  // The settings the document header carries, each for its owner (see
  // ApplyDocumentHeaderSettings).
  void (*applyDocumentSyncSettings)(const uint8_t* header);  // the transport
  void (*setProgramFontByName)(ConstStr255Param name);       // the drawing toolkit
  void (*applyWindowAppearance)(int16_t styleId);            // the window appearance
  void (*setSongWindowColours)(const uint16_t first[3], const uint16_t second[3]);  // song windows
  void (*setKeyboardVelocity)(int8_t velocity);              // the on-screen keyboard
  // The program's own font name and window style, which a saved document carries.
  void (*getProgramFontName)(Str255 name);                   // the drawing toolkit
  int16_t (*getWindowAppearance)();                          // the window appearance
  void (*loadNotepadText)(Handle rtf);                         // the notepad
  void (*applyMidiPortSetup)(bool defaults);                   // the MIDI ports
  void (*handBlockToAudioEngine)(Handle block);                // the audio engine
  void (*instantiatePendingInsertRacks)();                     // the plug-in host
  void (*loadPluginDeviceTable)(uint16_t version);             // the plug-in host
  void (*resetPluginDeviceTable)();                            // the plug-in host
  bool (*deferOpenWhileModal)(int32_t arg);                    // the application's idle pass
  void (*loadOverviewFiles)();                                 // media: the waveform caches
  OSErr (*saveOverviewFiles)(const FSSpec* document, bool replaceOld);
};
extern DocumentHooks gDocumentHooks;

// The missing-file dialog (dialog 149) for the file of that name, with texts textA and textB
// of the general text list: the item hit (1 keep the reference, 2 forget it, 3 find the file;
// 4 to 6 the same for every remaining file). Not installed: keep (1).
int16_t AskForMissingFile(ConstStr255Param name, int16_t textA, int16_t textB, bool allowSkip);
// Alert 543 after the file was not found: 2 forgets the reference. Not installed: keep (1).
int16_t AskAfterFailedFind(ConstStr255Param name);
// The audio-file manager: reads an opened referenced file's header into its entry,
// registers and forgets it. Interim: the values stored with the document stay; nothing is
// registered.
OSErr ReadReferencedAudioHeader(uint8_t* entry, int16_t fork);
OSErr RegisterReferencedAudioFile(uint8_t* entry, const FSSpec* file);
void ForgetReferencedAudioFile(uint8_t* entry);
// Rewrites the header of an unpacked audio file from its 28-byte sound description.
// Interim: no header writer exists yet (unimpErr).
OSErr RewriteUnpackedAudioHeader(int16_t fork, bool caf, const uint8_t* description, float rate);

// Playback: stops the sequencer (and movies unless movie is set). Not installed: nothing plays.
void StopPlaybackForOpen(bool movie);
// The commands that ask the save-changes step (kOpenCommand is the open dispatch's).
constexpr int16_t kNewCommand = 3;
constexpr int16_t kQuitCommand = 4;
// The save-changes step before a command that would dispose the songs: 0 to go on, non-zero
// to cancel the command. Not installed: nothing is asked (0).
int16_t AskToSaveChanges(int16_t command);

// While a dialog is up, an open is kept for the idle pass, which runs the dispatcher once no
// dialog is up any more: true when the open was deferred. Not installed: false (it runs now).
bool DeferOpenWhileModal(int32_t arg);

// Importers the open dispatcher hands files to. Interim: unimpErr.
OSErr ImportAudioFileDocument(const FSSpec* fileSpec, OSType type, int32_t arg);
OSErr OpenJukeboxPlayList(const FSSpec* fileSpec);
OSErr OpenMovieDocument(const FSSpec* fileSpec);

// The settings an opened document's header carries, each handed to its owner: a keyboard
// velocity above 0 to the on-screen keyboard; the two song window colours (8 bits a component,
// widened to 16) when either is set; the font name, when there is one, becomes the program's
// font; the frame rate and the sync source to the transport; a window appearance style other
// than 0 is applied. An owner that is not installed leaves its setting in the header (saved
// again with the document). Interim: the on-screen keyboard and the song windows' colours
// have no owner yet.
void ApplyDocumentHeaderSettings(const uint8_t* header);
// The other way, for a header about to be saved: the program's font name and window style go
// into it. Not installed, the header keeps what it holds.
void CaptureDocumentHeaderSettings(uint8_t* header);
// The document-wide blocks of the slots. Interim: kept in the document's slots, applied by
// their owners once those exist.
void LoadNotepadText(Handle rtf);
void ApplyMidiPortSetup(bool defaults);
void HandBlockToAudioEngine(Handle block);
// Saved insert racks waiting in plug-in records (flag 0x10 of byte +37). Interim: no plug-in
// host exists, so the states stay pending (and are written back on save).
void InstantiatePendingInsertRacks();
// The plug-in device table the document brought (header slot 8, already widened) taken for
// the document's file version; and the table emptied before the document is closed. Not
// installed: the block stays in its slot as it was read, and goes with the document.
void LoadPluginDeviceTable(uint16_t version);
void ResetPluginDeviceTable();
// The audio tracks' waveform overviews of an opened document come back from their cache
// files; before a save they are written beside the document (replacing the files the tracks
// had when the document is saved in its own place). Not installed: no cache files (the
// overviews are computed when shown).
void LoadOverviewFiles();
OSErr SaveOverviewFilesFor(const FSSpec* document, bool replaceOld);
