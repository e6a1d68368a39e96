// What the error reporter asks of the dialog toolkit: showing its message alert. Installed by
// the dialog toolkit at start-up (InstallErrorReportHooks in shell/dialogs/dialog_alerts.h);
// an entry not installed does nothing, and the alert's text goes to the console instead.
#pragma once

#include <cstdint>

struct ErrorReportHooks {
  // Shows caution alert alertId with the ParamText strings and returns the item hit. Main
  // thread only.
  int16_t (*showCautionAlert)(int16_t alertId);
};
extern ErrorReportHooks gErrorReportHooks;
