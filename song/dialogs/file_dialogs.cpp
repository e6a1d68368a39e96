#include "song/dialogs/file_dialogs.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "platform/files/sidecars.h"
#include "platform/navigation/navigation.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/error_report.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/documents/document_file.h"
#include "song/documents/file_kinds.h"

namespace {

constexpr int16_t kClientNameId = 1000;     // 'STR ': the program's name in dialog titles
constexpr int16_t kDialogTitlesId = 169;    // 'STR#': item n for dialog kind n
constexpr int16_t kDialogMessagesId = 149;  // 'STR#': the line above the list
constexpr int16_t kDialogChoicesId = 150;   // 'STR#': the check boxes of kinds 12, 13, 14
constexpr int16_t kChoiceKindFirst = 12;
constexpr int16_t kChoiceKindLast = 14;
constexpr int16_t kOpenMessageItem = 1;
constexpr int16_t kSaveMessageItem = 2;
constexpr int16_t kFolderMessageItem = 7;
constexpr OSErr kOtherKindExistsErr = 44;  // application error: a file of another kind has the name
constexpr uint32_t kTitleOptionFlag = 1;
constexpr char kSongDocumentExtension[] = "msd";

// Title "<program> - <kind's title>" and the message line of a dialog kind.
void SetDialogTexts(int16_t dialogKind, uint32_t flags, int16_t messageItem, NavDialogOptions* options) {
  NavGetDefaultDialogOptions(options);
  if (StringHandle client = GetString(kClientNameId); client && GetHandleSize(Handle(client)) > 0)
    AppendPString(options->windowTitle, reinterpret_cast<ConstStr255Param>(HandleData(Handle(client))));
  Str255 title;
  GetIndString(title, kDialogTitlesId, dialogKind == 14 && (flags & kTitleOptionFlag) ? 1 : dialogKind);
  if (title[0] && options->windowTitle[0])
    AppendPString(options->windowTitle, reinterpret_cast<ConstStr255Param>("\003 - "));
  AppendPString(options->windowTitle, title);
  GetIndString(options->message, kDialogMessagesId, messageItem);
  if (dialogKind >= kChoiceKindFirst && dialogKind <= kChoiceKindLast)
    GetIndString(options->choiceLabel, kDialogChoicesId, int16_t(dialogKind - kChoiceKindFirst + 1));
}

// The type the open dispatch would see: the Finder type with the extension rules.
OSType TypeAsOpened(const FSSpec* fileSpec, OSType finderType, void*) {
  OSType type = 0;
  return GetFileKind(fileSpec, &type) >= 0 ? type : finderType;
}

OSErr FirstSpecOf(NavReplyRecord* reply, FSSpec* outSpec) {
  OSErr err = AEGetNthFSSpec(&reply->selection, 1, outSpec);
  NavDisposeReply(reply);
  return err;
}

bool TypeInList(OSType type, const OSType* typeList, int16_t count) {
  for (int16_t i = 0; i < count; ++i)
    if (typeList[i] == type) return true;
  return false;
}

// 'fss ' descriptor of the default location (none when not given).
void MakeLocation(const FSSpec* location, AEDesc* desc) {
  if (!location) return;
  UInt8 image[kFSSpecImageSize];
  FSSpecToAEImage(*location, image);
  AECreateDesc(typeFSS, image, sizeof image, desc);
}

}  // namespace

OSErr RunNavPutFileDialog(const OSType* typeList, int16_t count, int16_t dialogKind, ConstStr255Param defaultName,
                          FSSpec* outSpec, const FSSpec* defaultLocation, int16_t, OSType, int32_t,
                          bool* choice) {
  NavDialogOptions options;
  SetDialogTexts(dialogKind, 0, kSaveMessageItem, &options);
  if (defaultName) std::memcpy(options.savedFileName, defaultName, size_t(defaultName[0]) + 1);
  if (count > 0 && typeList[0] == kSongDocumentType) CopyCStringToPascal(kSongDocumentExtension, options.fileExtension);
  AEDesc location;
  MakeLocation(defaultLocation, &location);
  NavReplyRecord reply;
  OSErr err = NavPutFile(defaultLocation ? &location : nullptr, &reply, &options,
                         count > 0 ? typeList[0] : 0, kProgramCreator);
  AEDisposeDesc(&location);
  if (choice) *choice = err == noErr && reply.choice;
  if (err != noErr) return err;
  bool replacing = reply.replacing;
  err = AEGetNthFSSpec(&reply.selection, 1, outSpec);
  if (err == noErr && replacing && !TypeInList(TypeAsOpened(outSpec, 0, nullptr), typeList, count)) {
    ReportError(kOtherKindExistsErr);
    err = kOtherKindExistsErr;
  }
  if (err == noErr) NavCompleteSave(&reply);
  NavDisposeReply(&reply);
  return err;
}

OSErr NavChooseFolderDialog(FSSpec* outSpec, int16_t dialogKind) {
  NavDialogOptions options;
  SetDialogTexts(dialogKind, 0, kFolderMessageItem, &options);
  NavReplyRecord reply;
  OSErr err = NavChooseFolder(nullptr, &reply, &options);
  return err == noErr ? FirstSpecOf(&reply, outSpec) : err;
}

namespace {

OSErr OpenThroughNav(int16_t count, const OSType* typeList, FSSpec* outSpec, int16_t dialogKind, uint32_t flags) {
  NavDialogOptions options;
  SetDialogTexts(dialogKind, flags, dialogKind == kOpenDialogKind ? kOpenMessageItem : dialogKind, &options);
  NavReplyRecord reply;
  OSErr err = NavGetFile(nullptr, &reply, &options, typeList, count, TypeAsOpened, nullptr);
  return err == noErr ? FirstSpecOf(&reply, outSpec) : err;
}

OSErr SaveThroughNav(OSType type, int16_t dialogKind, ConstStr255Param defaultName, FSSpec* outSpec, bool* choice) {
  return RunNavPutFileDialog(&type, 1, dialogKind, defaultName, outSpec, nullptr, 0, type, 0, choice);
}

int16_t ShowStopAlertBox(int16_t alertId) { return ShowAlert(alertId, kStopAlert); }

}  // namespace

void InstallDocumentDialogHooks() {
  // A song document named with its extension needs no sidecar for its type and creator.
  RegisterDocumentExtension(kSongDocumentExtension, kSongDocumentType, kProgramCreator);
  gDocumentDialogHooks.getFile = OpenThroughNav;
  gDocumentDialogHooks.chooseSaveFile = SaveThroughNav;
  gDocumentDialogHooks.showStopAlert = ShowStopAlertBox;
}
