#include "song/dialogs/document_questions.h"

#include <algorithm>

#include "platform/dialogs/param_text.h"
#include "shell/base/app_strings.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/documents/document_hooks.h"
#include "song/documents/media_references.h"

namespace {

constexpr int16_t kMissingFileAlertId = 149;
constexpr int16_t kFileStillMissingAlertId = 543;

const unsigned char kEmpty[1] = {0};

}  // namespace

int16_t AskForMissingFileAlert(ConstStr255Param name, int16_t textA, int16_t textB, bool allowSkip) {
  Str255 first, second;  // the general texts share one buffer
  ConstStringPtr text = GetAppString(textA);
  std::copy(text, text + text[0] + 1, first);
  text = GetAppString(textB);
  std::copy(text, text + text[0] + 1, second);
  ParamText(name, first, second, kEmpty);
  int16_t item = ShowAlert(kMissingFileAlertId, kCautionAlert);
  if (item < kPromptKeep || item > kPromptFindAll) return kPromptKeep;
  if (!allowSkip && (item == kPromptSkip || item == kPromptSkipAll)) return int16_t(item - 1);
  return item;
}

int16_t AskAfterFailedFindAlert(ConstStr255Param name) {
  ParamText(name, kEmpty, kEmpty, kEmpty);
  return ShowAlert(kFileStillMissingAlertId, kStopAlert);
}

void InstallDocumentQuestionHooks() {
  gDocumentHooks.askForMissingFile = AskForMissingFileAlert;
  gDocumentHooks.askAfterFailedFind = AskAfterFailedFindAlert;
}
