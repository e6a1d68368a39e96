#include "song/dialogs/document_questions.h"

#include <algorithm>

#include "platform/dialogs/param_text.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/app_strings.h"
#include "shell/base/untitled_name.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/media_references.h"
#include "song/documents/save_commands.h"
#include "song/model/song_context.h"

namespace {

constexpr int16_t kSaveChangesAlertId = 511;
constexpr int16_t kMissingFileAlertId = 149;
constexpr int16_t kFileStillMissingAlertId = 543;
constexpr int16_t kSaveChangesVerbsId = 170;  // 'STR#': item n for the command n
enum : int16_t { kSaveItem = 1, kCancelItem = 2, kDontSaveItem = 3 };

const unsigned char kEmpty[1] = {0};

}  // namespace

int16_t AskToSaveChangesAlert(int16_t command) {
  if (!gSongModified) return 0;
  Str255 verb;
  GetIndString(verb, kSaveChangesVerbsId, command);
  ParamText(IsDocumentNamed() ? gCurrentDocumentSpec.name : GetUntitledName(), verb, kEmpty, kEmpty);
  switch (ShowAlert(kSaveChangesAlertId, kCautionAlert)) {
    case kSaveItem: return RunSaveCommand() == noErr ? 0 : 1;
    case kDontSaveItem: return 0;
    default: return 1;
  }
}

int16_t AskForMissingFileAlert(ConstStr255Param name, int16_t textA, int16_t textB, bool allowSkip) {
  Str255 first, second;  // the general texts share one buffer
  ConstStringPtr text = GetAppString(textA);
  std::copy(text, text + text[0] + 1, first);
  text = GetAppString(textB);
  std::copy(text, text + text[0] + 1, second);
  ParamText(name, first, second, kEmpty);
  // Escape keeps the reference: forgetting it is never an accident.
  int16_t item = ShowAlertEscapingTo(kMissingFileAlertId, kCautionAlert, kPromptKeep);
  if (item < kPromptKeep || item > kPromptFindAll) return kPromptKeep;
  if (!allowSkip && (item == kPromptSkip || item == kPromptSkipAll)) return int16_t(item - 1);
  return item;
}

int16_t AskAfterFailedFindAlert(ConstStr255Param name) {
  ParamText(name, kEmpty, kEmpty, kEmpty);
  return ShowAlert(kFileStillMissingAlertId, kStopAlert);
}

void InstallDocumentQuestionHooks() {
  gDocumentHooks.askToSaveChanges = AskToSaveChangesAlert;
  gDocumentHooks.askForMissingFile = AskForMissingFileAlert;
  gDocumentHooks.askAfterFailedFind = AskAfterFailedFindAlert;
}
