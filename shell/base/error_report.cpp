#include "shell/base/error_report.h"

#include <cstdio>
#include <cstring>

#include "platform/dialogs/notification.h"
#include "platform/dialogs/param_text.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_state.h"
#include "shell/base/app_strings.h"
#include "shell/base/error_report_hooks.h"
#include "shell/base/error_report_setup.h"

int16_t gInsufficientMemoryShown = 0;
ErrorReportHooks gErrorReportHooks;

namespace {

constexpr int16_t kNoErrorTextItem = 72;
const unsigned char kLowMemoryText[] = "\040Dangerously Low Memory condition";
const unsigned char kInsufficientMemoryText[] = "\024 Insufficient Memory";
const unsigned char kEmpty[] = "";
const char kQuote[] = "\"";
const char* const kFileActionTexts[] = {"", "\" could not be opened. ", "\" could not be saved. ",
                                        "\" could not be read. "};
const char kUnknownErrorText[] = "An unexpected error occurred.";

NMRec gNotification;
Str255 gNotificationText;

void AppendBytes(StringPtr buffer, const unsigned char* bytes, size_t n) {
  size_t room = 255 - buffer[0];
  if (n > room) n = room;
  std::memcpy(buffer + 1 + buffer[0], bytes, n);
  buffer[0] = static_cast<unsigned char>(buffer[0] + n);
}

// Looks the code up in the exact-code table 'SERR' 128; every offset is checked against
// the resource's size, and a text runs at most to the end of the resource.
bool AppendExactText(Handle table, int32_t code, StringPtr buffer) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*table);
  int32_t size = GetHandleSize(table);
  if (!p || size < 4) return false;
  int32_t count = ReadI16BE(p);
  for (int32_t k = 0; k < count && 8 + 4 * k <= size; ++k) {
    if (ReadI16BE(p + 4 + 4 * k) != code) continue;
    int32_t offset = ReadI16BE(p + 6 + 4 * k);
    if (offset < 0 || offset >= size) return false;
    const void* end = std::memchr(p + offset, 0, size_t(size - offset));
    size_t length = end ? size_t(static_cast<const uint8_t*>(end) - (p + offset)) : size_t(size - offset);
    AppendBytes(buffer, p + offset, length);
    return true;
  }
  return false;
}

// A range table with a negative id covers codes id .. id + count - 1 with packed strings.
bool AppendRangeText(Handle table, int16_t id, int32_t code, StringPtr buffer) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*table);
  int32_t size = GetHandleSize(table);
  if (!p || size < 2 || id >= 0) return false;
  int32_t count = ReadI16BE(p);
  if (code < id || code > id + count - 1) return false;
  int32_t offset = 2;
  for (int32_t k = 0; k < code - id; ++k) {
    if (offset >= size) return false;
    offset += 1 + p[offset];
  }
  if (offset >= size || offset + 1 + p[offset] > size) return false;
  AppendBytes(buffer, p + offset + 1, p[offset]);
  return true;
}

bool AppendFromRangeTables(int32_t code, StringPtr buffer) {
  const ResType kSERR = FourCC("SERR");
  int16_t n = CountResources(kSERR);
  for (int16_t i = 1; i <= n; ++i) {
    Handle table = GetIndResource(kSERR, i);
    if (!table) continue;
    int16_t id = 0;
    ResType type = 0;
    Str255 name;
    GetResInfo(table, &id, &type, name);
    if (id < 0 && AppendRangeText(table, id, code, buffer)) return true;
  }
  return false;
}

// The message alert through the dialog toolkit; not installed, the text goes to the console
// and the answer is 1 (OK).
int16_t ShowMessageAlert(ConstStr255Param text) {
  if (gErrorReportHooks.showCautionAlert) return gErrorReportHooks.showCautionAlert(kMessageAlertId);
  std::fprintf(stderr, "Alert %d: %.*s\n", kMessageAlertId, int(text[0]),
               reinterpret_cast<const char*>(text + 1));
  return 1;
}

void AppendText(StringPtr buffer, const char* text) {
  AppendBytes(buffer, reinterpret_cast<const unsigned char*>(text), std::strlen(text));
}

// For a code no table has a text for: the general text, never a bare number.
void AppendUnknownErrorText(StringPtr buffer) {
  Str255 general;
  GetIndString(general, kGeneralStrList, kNoErrorTextItem);
  if (general[0] == 0) return AppendText(buffer, kUnknownErrorText);
  AppendBytes(buffer, general + 1, general[0]);
}

// The text of a code alone: the application's message, or the system text and the code.
void AppendCodeText(int32_t code, StringPtr buffer) {
  Str255 text;
  text[0] = 0;
  if (code >= 1) {
    GetIndString(text, kAppMessagesStrList, int16_t(code + 1));
  } else {
    FormatErrorText(code, text, 1);
  }
  if (text[0] == 0) AppendUnknownErrorText(buffer);
  AppendBytes(buffer, text + 1, text[0]);
  if (code >= 1) return;
  Str255 number;
  NumToString(code, number);
  AppendText(buffer, " (");
  AppendBytes(buffer, number + 1, number[0]);
  AppendText(buffer, ")");
}

bool IsSilentCode(int32_t code) {
  return code == noErr || code == userCanceledErr || code == -2019 || code == -9874;
}

}  // namespace

int32_t ReportError(int32_t code) {
  if (code >= 1) return ReportAppErrorText(code);
  if (IsSilentCode(code)) return code;  // success and cancels are never an alert
  if (code == memFullErr) return AlertInsufficientMemory(memFullErr);
  Str255 text;
  FormatErrorText(code, text, 0);
  Str255 alone;
  if (FormatErrorText(code, alone, 1)[0] == 0) AppendUnknownErrorText(text);
  return ShowAlertText(text);
}

StringPtr FormatErrorText(int32_t code, StringPtr buffer, int32_t flags) {
  buffer[0] = 0;
  if (!(flags & 1)) {
    Str255 number;
    NumToString(code, number);
    AppendBytes(buffer, number + 1, number[0]);
    const unsigned char cr = 13;
    AppendBytes(buffer, &cr, 1);
  }
  Handle exact = GetResource(FourCC("SERR"), kErrorTextTableId);
  if (!exact) {
    Str255 fallback;
    GetIndString(fallback, kGeneralStrList, kNoErrorTextItem);
    AppendBytes(buffer, fallback + 1, fallback[0]);
    return buffer;
  }
  if (!AppendExactText(exact, code, buffer)) AppendFromRangeTables(code, buffer);
  return buffer;
}

StringPtr FormatFileErrorText(int32_t code, ConstStr255Param fileName, int16_t action,
                              StringPtr buffer) {
  buffer[0] = 0;
  if (action < kFileActionOpen || action > kFileActionRead) action = kFileActionOpen;
  AppendText(buffer, kQuote);
  AppendBytes(buffer, fileName + 1, fileName[0]);
  AppendText(buffer, kFileActionTexts[action]);
  AppendCodeText(code, buffer);
  return buffer;
}

int32_t ReportFileError(int32_t code, ConstStr255Param fileName, int16_t action) {
  if (IsSilentCode(code)) return code;
  Str255 text;
  return ShowAlertText(FormatFileErrorText(code, fileName, action, text));
}

int32_t ReportFileNote(int32_t messageCode, ConstStr255Param fileName, int32_t count) {
  Str255 text;
  text[0] = 0;
  AppendText(text, kQuote);
  AppendBytes(text, fileName + 1, fileName[0]);
  AppendText(text, "\": ");
  AppendCodeText(messageCode, text);
  if (count >= 0) {
    Str255 number;
    NumToString(count, number);
    AppendText(text, " ");
    AppendBytes(text, number + 1, number[0]);
  }
  return ShowAlertText(text);
}

int32_t ReportAppErrorText(int32_t code) {
  gStringBuffer[0] = 0;
  AppendIndString(kAppMessagesStrList, int16_t(code));
  return ShowAlertText(gStringBuffer);
}

int32_t ShowAlertText(ConstStr255Param text) {
  if (!text || text[0] == 0) text = kLowMemoryText;
  if (IsAppInBackground()) {
    PostNotificationText(text);
    return 0;
  }
  return ShowTextInAlert(text);
}

int32_t ShowTextInAlert(ConstStr255Param text) {
  ParamText(text, kEmpty, kEmpty, kEmpty);
  uint16_t saved = gAppState[1] & kAppWord1DrawingSuppressed;
  if (gAppState[4] & kAppWord4SetupReport)
    gAppState[1] &= uint16_t(~kAppWord1DrawingSuppressed);
  else
    gAppState[1] |= kAppWord1DrawingSuppressed;
  int16_t item = ShowMessageAlert(text);
  gAppState[1] = uint16_t((gAppState[1] & ~kAppWord1DrawingSuppressed) | saved);
  return item;
}

void PostNotificationText(ConstStr255Param text) {
  NMRemove(&gNotification);
  if (!text) return;
  gNotification = NMRec();
  std::memcpy(gNotificationText, text, size_t(text[0]) + 1);
  gNotification.qType = nmType;
  gNotification.nmMark = 1;
  gNotification.nmStr = text[0] ? gNotificationText : nullptr;
  NMInstall(&gNotification);
}

int32_t AlertWithNumber(int32_t n, ConstStr255Param text) {
  static const unsigned char kSeparator[] = "\004    ";
  Str255 number;
  NumToString(n, number);
  gStringBuffer[0] = 0;
  AppendBytes(gStringBuffer, text + 1, text[0]);
  AppendBytes(gStringBuffer, kSeparator + 1, kSeparator[0]);
  AppendBytes(gStringBuffer, number + 1, number[0]);
  return ShowAlertText(gStringBuffer);
}

int32_t AlertInsufficientMemory(int32_t n) {
  gInsufficientMemoryShown = 1;
  return AlertWithNumber(n, kInsufficientMemoryText);
}

void ReportPendingMemoryAlert() {
  if (!gInsufficientMemoryShown) return;
  AlertInsufficientMemory(gInsufficientMemoryShown);
  gInsufficientMemoryShown = 0;
}

int32_t ReportErrorWithSetupFlag(int32_t code) {
  gAppState[4] |= kAppWord4SetupReport;
  int32_t result = ReportError(code);
  gAppState[4] &= uint16_t(~kAppWord4SetupReport);
  if (code == 110) ApplyAudioSetupOutputToNewTracks();
  return result;
}
