// The start-up: the system checks, the windows, the menus, the song database, the
// preferences and the window layout, and at the very end the event handlers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/memory/mac_types.h"

// Set when the start-up has run to its end (the shutdown writes the settings only then).
extern bool gStartUpComplete;
// Set once the start-up has made the clock task and read the remembered files.
extern bool gStartUpReachedDevices;
// The result of raising the open-file limit (an errno, 0 when fine), kept apart from the
// MIDI start-up's status.
extern int gOpenFileLimitStatus;
// The MIDI start-up's result (-1: no input source), kept apart from the file limit's.
extern OSStatus gMidiStartStatus;

// The application's resource file: $ZARIN_APP_RESOURCES when set, else Zarin.rsrc beside
// the program.
std::string GetAppResourcePath();
// Opens it and makes it current; a missing or unreadable file is a fatal stop with a
// message that names the path.
void OpenApplicationResources();

// The system checks; sets the capability flags of gAppState and installs the Apple event
// handlers and the thread pool.
void CheckSystemAndInstallHandlers();
// The whole start-up, in its fixed order; returns only when every step succeeded.
void StartUpApplication(int16_t unused);
// Start-up step 25 after the MIDI start-up: when the song file header asks for it (bit 0x01
// of its byte 128), an instrument for every enabled channel of the MIDI ports; when it does
// not, or no port has a channel, the instruments' reset.
void CreateStartupInstruments();
// The song workspace reset used by the start-up and by New.
void InitializeSongWorkspace(int16_t keepPosition, int16_t rereadOutputs, int16_t hideFontPanel);
void StartNewSongWorkspace(int16_t flag);
// Places the counter, track window and main editor for a screen larger than 640 x 480: the
// counter keeps its height and takes its stored width less 1; the track window takes the
// top quarter; the main editor the rest (GetStartupEditorHeight); the counter goes 10 pixels
// below it.
void PlaceStartupWindows();
// The main editor's start-up height: the rest of the screen's height, at most eleven rows of
// the track row height (11 pixels at the least) per pane plus the pane margin plus 16, as the
// window sizing rules size the editor; a pane count alone would leave a one-pane editor a
// strip about 50 pixels tall.
constexpr int16_t kStartupPixelsPerPaneRow = 11;
constexpr int16_t kStartupRowsPerPane = 11;
int16_t GetStartupEditorHeight(int16_t rest);
// The kinds shown when no saved layout says otherwise.
void ShowDefaultStartupWindows();
