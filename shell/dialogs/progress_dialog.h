// The one progress dialog of long operations (saving, opening, exports, conversions,
// plug-in scans): a bar over a 64-bit range, a remaining-time estimate, and events served
// while it is up so that it can be moved and cancelled. The operation reads the outcome as
// an error word: kProgressCancelled after Cancel (or Command-period).
#pragma once

#include <cstdint>

#include "platform/dialogs/dialogs.h"
#include "platform/files/file_types.h"

enum : int16_t {
  kProgressDialogId = 150,            // determinate bar
  kProgressIndeterminateDialogId = 190,
  kProgressMessagesId = 506,          // 'STR#' of the operation messages
  kProgressCancelItem = 2,
  kProgressMessageItem = 3,
  kProgressBarItem = 4,
  kProgressSecondaryItem = 5,
  kProgressTimeItem = 6,
  kProgressStopItem = 8,
  kProgressCancelled = -2019,
  kProgressStopped = 8,
  kProgressFileMessage = 26,
  kProgressBarMaximum = 32767,
  kProgressDefaultInterval = 15,
};

// In memory only.
struct ProgressState {
  DialogRef dialog = nullptr;
  int32_t start = 0;
  int64_t end = 0;
  int64_t current = 0;
  double startTime = 0;  // ticks of the first value, 0 until then
  uint32_t lastRedrawTick = 0;
  uint32_t lastEstimateTick = 0;
  uint32_t lastTextTick = 0;
  uint16_t savedFontId = 0;
  int16_t error = 0;
  uint8_t interval = kProgressDefaultInterval;
  uint8_t hasFileName = 0;
  unsigned char fileName[64] = {};  // length-prefixed copy of the file's name
  int16_t savedV = 0, savedH = 0;   // where the movie progress dialog was last seen
  int16_t barValue = -1;            // last value given to the bar, -1 none
  unsigned char timeText[64] = {};  // the remaining-time text shown, empty while none
};
extern ProgressState gProgress;

// Opens the dialog (DLOG 150, or 190 with an indeterminate bar when end equals start;
// dlogId non-zero chooses another) with STR# 506 item message (0: none), the range
// start..end (end as high and low words), at position (null or v 0: where the resource
// puts it) and redrawing at most every interval ticks. A dialog still up is closed first.
// Returns the error word: 0, or -108 when the dialog could not be made.
int16_t OpenProgressDialogEx(int16_t message, int32_t start, int32_t endHigh, uint32_t endLow,
                             const Point* position, uint8_t interval, int16_t dlogId);
int16_t OpenProgressDialog(int16_t message, int32_t start, int32_t endHigh, uint32_t endLow,
                           int16_t dlogId);
// Sets the value (clamped to the range), updates the estimate and, once the interval has
// passed, redraws the bar and serves events. Returns the error word; stop when non-zero.
int16_t SetProgressValue(int32_t high, uint32_t low);
int16_t UpdateProgressDialog(int32_t high, uint32_t low);
// Disposes the dialog, restores the dialog font and enables the menus; the error word stays.
void CloseProgressDialog();
int16_t TakeProgressError();
// An item hit in the dialog: Cancel gives kProgressCancelled, Stop kProgressStopped.
void SetProgressStop(int16_t item);
bool IsProgressDialogWindow(WindowRef window);
bool IsProgressDialogUp();
void ShowProgressDialog(bool show);
// The message (primary) or secondary text.
void SetProgressText(ConstStr255Param text, bool primary);
void SetProgressRange(int32_t endHigh, uint32_t endLow);
// STR# 506 item n into gStringBuffer (empty when missing); returns it.
StringPtr GetProgressMessage(int16_t n);
// The file whose name follows the message (null forgets it).
void SetProgressFileName(const FSSpec* fileSpec);
// The bar value for a value in start..end.
int16_t ComputeProgressBarValue(int64_t current, int64_t start, int64_t end);
// Seconds as a readable remaining time ("5 s", "2:05", "1:02:05").
void FormatRemainingTime(double seconds, unsigned char* text);
// Enables or disables the main menus and the Preferences, About and Quit commands; a
// disabled state marks the dialog layer busy.
void EnableAppMenus(bool enable);

// Fills the progress entries of the lower layers' long work (gProgressHooks).
void InstallProgressHooks();

// The movie-operation progress procedure. The message index and the file travel in a
// record of their own (never as a number that may be an address).
enum : int16_t { kMovieProgressOpen = 0, kMovieProgressUpdate = 1, kMovieProgressClose = 2 };
struct MovieProgressRefCon {
  int16_t message = 0;        // STR# 506 item when no file is given
  const FSSpec* file = nullptr;
};
int16_t MovieProgressProc(void* movie, int16_t message, int16_t operation, int32_t percentDone,
                          const MovieProgressRefCon* refCon);
