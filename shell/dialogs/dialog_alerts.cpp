#include "shell/dialogs/dialog_alerts.h"

#include <cstdio>
#include <string>

#include "platform/dialogs/alerts.h"
#include "platform/dialogs/param_text.h"
#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/screen.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report_hooks.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/drawing/screen_bounds.h"

namespace {
int16_t gLastAlertId = 0;
int32_t gAlertsShown = 0;
int16_t gAlertAnswer = 1;

std::string PText(ConstStringPtr p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

// The alert's words on the console: its kind and the texts it was given.
void WriteAlertToConsole(int16_t alertId, int16_t kind) {
  std::string texts = PText(GetParamText(0));
  for (int n = 1; n < 4; ++n)
    if (GetParamText(n)[0] != 0) texts += " | " + PText(GetParamText(n));
  std::fprintf(stderr, "Alert %d (%s): %s\n", alertId,
               kind == kStopAlert ? "stop" : kind == kNoteAlert ? "note" : "caution", texts.c_str());
  std::fflush(stderr);
}

// The console stands in for an alert that cannot be shown.
int16_t AnswerOnConsole(int16_t alertId, int16_t kind) {
  WriteAlertToConsole(alertId, kind);
  return gAlertAnswer;
}

int16_t ShowCautionAlert(int16_t alertId) { return ShowAlert(alertId, kCautionAlert); }
}  // namespace

int16_t ShowAlert(int16_t alertId, int16_t kind) {
  gLastAlertId = alertId;
  ++gAlertsShown;
  // With no screen shown nobody sees the alert: its words go to the console as well.
  bool headless = IsScreenUnseen();
  if (headless) WriteAlertToConsole(alertId, kind);
  uint32_t busy = gDialogBusy;
  DialogFilterHook hook = gDialogFilterHook;
  DialogRef current = gCurrentDialog;
  gDialogBusy = 1;
  bool screenDrawing = (gAppState[0] & kAppWord0ScreenDrawing) != 0;
  EndScreenDrawing();
  gDialogFilterHook = AlertFilterHook;
  uint16_t keyFlags = gDialogKeyFlags;
  gDialogKeyFlags = kDialogKeysHandled;
  InitCursor();
  DialogItemIndex item = -1;
  if (kind == kStopAlert)
    item = StopAlert(alertId, gModalFilterUPP);
  else if (kind == kNoteAlert)
    item = NoteAlert(alertId, gModalFilterUPP);
  else
    item = CautionAlert(alertId, gModalFilterUPP);
  gDialogKeyFlags = keyFlags;
  gCurrentDialog = current;
  gDialogFilterHook = hook;
  gDialogBusy = busy;
  if (screenDrawing) BeginScreenDrawing();
  if (item < 0 && GetDialogError() != noErr) return headless ? gAlertAnswer : AnswerOnConsole(alertId, kind);
  return item;
}

int16_t ShowAlertEscapingTo(int16_t alertId, int16_t kind, int16_t escapeItem) {
  int16_t saved = gDialogEscapeItem;
  gDialogEscapeItem = escapeItem;
  int16_t item = ShowAlert(alertId, kind);
  gDialogEscapeItem = saved;
  return item;
}

int16_t GetLastAlertId() { return gLastAlertId; }
int32_t CountAlertsShown() { return gAlertsShown; }
void SetAlertAnswer(int16_t item) { gAlertAnswer = item; }

void InstallErrorReportHooks() { gErrorReportHooks.showCautionAlert = ShowCautionAlert; }
