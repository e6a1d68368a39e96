// Alerts shown from the application's 'ALRT' and 'DITL' resources with the ParamText
// strings, answered by a click, Return/Enter (item 1), Escape (item 2) or the first letter
// of a button's title.
#pragma once

#include "platform/memory/mac_types.h"

enum : int16_t { kCautionAlert = 0, kStopAlert = 1, kNoteAlert = 2 };

// Shows alert alertId of the kind (1 stop, 2 note, otherwise caution) and returns the item
// hit. The dialog state of a running dialog is kept. When the alert cannot be shown (its
// resources are missing or damaged), its text goes to the console and the answer set by
// SetAlertAnswer (1 unless changed) comes back.
int16_t ShowAlert(int16_t alertId, int16_t kind);
// ShowAlert with Escape pressing escapeItem instead of item 2.
int16_t ShowAlertEscapingTo(int16_t alertId, int16_t kind, int16_t escapeItem);

// What the last alert was, how many were asked for, and the answer alerts give when they
// cannot be shown.
int16_t GetLastAlertId();
int32_t CountAlertsShown();
void SetAlertAnswer(int16_t item);

// Fills the error reporter's hook table (shell/base/error_report_hooks.h): its message alert
// is a caution alert of this toolkit.
void InstallErrorReportHooks();
