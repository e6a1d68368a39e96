// The one error reporter and the alerts it shows.
//
// Positive codes are the application's own messages (STR# 505, item code + 1); negative
// codes are system results whose texts come from the 'SERR' resources. User cancels and
// "not handled" answers are silent, and a full memory has an alert of its own.
#pragma once

#include "platform/memory/mac_types.h"

// Set by AlertInsufficientMemory; while non-zero, long file operations stop (IsStreamOk).
extern int16_t gInsufficientMemoryShown;

// Resource ids.
constexpr int16_t kAppMessagesStrList = 505;
constexpr int16_t kGeneralStrList = 129;
constexpr int16_t kMessageAlertId = 550;
constexpr int16_t kErrorTextTableId = 128;
constexpr int16_t kDiskFullMessage = 13;

int32_t ReportError(int32_t code);
// Sets the set-up flag for the duration of the report; after code 110 the default output
// of new tracks takes the audio set-up's output byte.
int32_t ReportErrorWithSetupFlag(int32_t code);
StringPtr FormatErrorText(int32_t code, StringPtr buffer, int32_t flags);
int32_t ReportAppErrorText(int32_t code);
int32_t ShowAlertText(ConstStr255Param text);
int32_t ShowTextInAlert(ConstStr255Param text);
void PostNotificationText(ConstStr255Param text);
int32_t AlertWithNumber(int32_t n, ConstStr255Param text);
int32_t AlertInsufficientMemory(int32_t n);
void ReportPendingMemoryAlert();
