// What long work below the dialog toolkit (saving, opening, importing, scanning) asks of the
// progress dialog. Installed by the dialog toolkit at start-up (InstallProgressHooks in
// shell/dialogs/progress_dialog.h); not installed, nothing is shown and nothing cancels.
// Main thread only.
#pragma once

#include <cstdint>

// The error word of a cancelled operation (the dialog's Cancel, or Command-period).
constexpr int16_t kProgressCancelledErr = -2019;

// The messages of the work that shows progress ('STR#' 506).
enum : int16_t {
  kProgressSavingSong = 1,
  kProgressOpeningSong = 2,
  kProgressReadingMidiFile = 3,
  kProgressScanningPlugins = 8,
  kProgressConvertingFile = 24,  // an imported file converted into a new AIFF file
  kProgressWorking = 39,
  kProgressReadingPresets = 40,
};

struct ProgressHooks {
  // Opens the dialog with message over 0..total; returns its error word (0, or -108).
  int16_t (*open)(int16_t message, int32_t total);
  // Sets the value; returns the error word (-2019 after Cancel, 8 after Stop).
  int16_t (*setValue)(int32_t done);
  void (*close)();
  // Shows a line of text in the open dialog (the item being worked on).
  void (*setText)(const unsigned char* text);
  // True once the program has been asked to quit: long work ends early (installed by the
  // application, InstallProgramHooks).
  bool (*isQuitting)();
};
extern ProgressHooks gProgressHooks;

// The progress of work of total steps; a dialog that cannot be shown only goes without.
void BeginProgress(int16_t message, int32_t total);
// done steps of the total are behind; true when the user asked to stop the work.
bool ProgressAskedToStop(int32_t done);
void EndProgress();
// The item the work is on, as a line of the dialog (nothing while none is open).
void SetProgressLine(const unsigned char* text);
// True once the program has been asked to quit.
bool IsProgramQuitting();
