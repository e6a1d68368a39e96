// Interim: until the dialog toolkit draws alerts on the screen, an alert writes its
// substituted text to the console and answers with a preset item (1, the default button).
#include "shell/dialog_alerts.h"

#include <cstdio>
#include <string>

#include "platform/dialogs/param_text.h"

namespace {
int16_t gLastAlertId = 0;
int32_t gAlertsShown = 0;
int16_t gAlertAnswer = 1;

std::string PText(ConstStringPtr p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }
}  // namespace

int16_t ShowAlert(int16_t alertId, int16_t kind) {
  gLastAlertId = alertId;
  ++gAlertsShown;
  std::fprintf(stderr, "Alert %d (%s): %s\n", alertId,
               kind == kStopAlert ? "stop" : kind == kNoteAlert ? "note" : "caution",
               PText(GetParamText(0)).c_str());
  return gAlertAnswer;
}

int16_t GetLastAlertId() { return gLastAlertId; }
int32_t CountAlertsShown() { return gAlertsShown; }
void SetAlertAnswer(int16_t item) { gAlertAnswer = item; }
