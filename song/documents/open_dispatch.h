// Opening a file by its kind: song documents and bundles, Standard MIDI Files, audio files,
// play lists and movies, whether chosen in the open dialog, dropped on the program or named
// by an open-documents event.
#pragma once

#include <cstdint>

#include "platform/files/files.h"

// What the last dispatch opened: 0 nothing yet, 0x80 a song document, 1 any other kind.
extern uint8_t gOpenKind;
extern OSErr gLastOpenResult;
// The file the next dispatch opens.
extern FSSpec gOpenDocumentSpec;

constexpr uint8_t kOpenKindSongDocument = 0x80;
constexpr uint8_t kOpenKindOther = 1;
// Results the dispatch treats specially.
constexpr OSErr kNotMidiFileResult = 43;
constexpr OSErr kSilentOpenResult = 48;
constexpr OSErr kDamagedMidiFileResult = 71;
constexpr int16_t kOpenFailedAlertId = 520;
constexpr int16_t kOpenFailedTextId = 1200;
// The command that asks the save-changes question before an open.
constexpr int16_t kOpenCommand = 2;

// mode 0 plain, 1 forced through the deferred path, 2 never deferred; arg goes to the
// importers (for a MIDI file: 0 a new song, else the tick at which it is merged).
OSErr OpenDocumentSpec(const FSSpec* fileSpec, int16_t mode, int32_t arg);
// The dispatch itself, for gOpenDocumentSpec.
OSErr RunOpenDispatch(int32_t arg);
// The File menu's Open command: the open dialog over song documents, bundles and MIDI files.
OSErr RunOpenCommand();
// True when the current song holds nothing yet (a MIDI file may take its slot).
bool IsCurrentSongBare();
