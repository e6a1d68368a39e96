#include "shell/base/fatal_stop.h"

#include <cstdlib>

#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_state.h"
#include "shell/base/app_strings.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/error_report.h"
#include "shell/base/fatal_stop_hooks.h"

FatalStopHooks gFatalStopHooks;

namespace {

// Used when the application's own texts cannot be read (a missing resource is one reason to
// stop), so that the message never shows only a number.
const char* FallbackText(int16_t item) {
  switch (item) {
    case kMissingResourceText: return "A resource the program needs is missing.";
    case kOutOfMemoryText: return "The program has run out of memory.";
    default: return "The program cannot go on.";
  }
}

// Not installed: nothing to deregister.
void DeregisterPowerForStop() {
  if (gFatalStopHooks.deregisterActiveSystemPower) gFatalStopHooks.deregisterActiveSystemPower();
}

// Not installed: nothing is shut down; the caller ends the process.
void QuitForStop() {
  if (gFatalStopHooks.quitApplication) gFatalStopHooks.quitApplication(1);
}

[[noreturn]] void StopWithAppText(int32_t code, int16_t item) {
  Str255 text;
  PLstrcpy(text, GetAppString(item));
  if (text[0] == 0) CopyCStringToPascal(FallbackText(item), text);
  FatalErrorStop(code, text);
}

}  // namespace

void FatalErrorStop(int32_t code, ConstStr255Param text) {
  gAppState[1] |= kAppWord1DrawingSuppressed;
  RestoreArrowCursor();
  // The message alert: the text, four blanks and the code; without the dialog toolkit (or
  // without a screen) it goes to the console.
  AlertWithNumber(code, text ? text : reinterpret_cast<ConstStr255Param>(""));
  DeregisterPowerForStop();
  QuitForStop();
  std::exit(1);  // The shutdown with status 1 does not return.
}

void FatalResourceStop(int32_t code) { StopWithAppText(code, kMissingResourceText); }

void FatalMemoryStop(int32_t code) { StopWithAppText(code, kOutOfMemoryText); }

Ptr NewPtrClearOrStop(Size size) {
  Ptr p = NewPtrClear(size);
  if (!p) FatalMemoryStop(LMGetMemErr());
  return p;
}
