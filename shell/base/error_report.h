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

// What was being done to a file when it failed, for the first words of the alert.
enum : int16_t { kFileActionOpen = 1, kFileActionSave, kFileActionRead };
// Reports code about one file: the alert names the file and what could not be done, then says
// what is wrong; a system code is shown after the text. Silent for noErr and cancels.
int32_t ReportFileError(int32_t code, ConstStr255Param fileName, int16_t action);
// Tells something about a file that did not stop the work: the alert names the file and
// shows the application's message messageCode, followed by count when count >= 0.
int32_t ReportFileNote(int32_t messageCode, ConstStr255Param fileName, int32_t count);
// The text ReportFileError shows.
StringPtr FormatFileErrorText(int32_t code, ConstStr255Param fileName, int16_t action,
                              StringPtr buffer);
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
