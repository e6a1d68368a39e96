#include "shell/app/apple_event_handlers.h"

#include "platform/windows/windows.h"
#include "shell/app/app_entry.h"
#include "shell/app/song_switch.h"
#include "shell/base/error_report.h"
#include "shell/dialogs/progress_dialog.h"
#include "song/documents/open_dispatch.h"
#include "song/smf/smf_import_state.h"

namespace {
bool ProgressDialogInFront() { return IsProgressDialogWindow(FrontNonFloatingWindow()); }
}  // namespace

bool (*gIsProgressDialogFront)() = ProgressDialogInFront;

OSErr CheckRequiredParams(const AppleEvent* event) {
  DescType type = 0;
  Size size = 0;
  OSErr err = AEGetAttributePtr(event, keyMissedKeywordAttr, typeWildCard, &type, nullptr, 0, &size);
  return (err == errAEDescNotFound || err == noErr) ? OSErr(noErr) : OSErr(errAEParamMissed);
}

void SendAppleEventToSelf(const AEAddressDesc* target, AEEventClass eventClass, AEEventID eventID,
                          UInt32 value, bool withValue) {
  constexpr SInt32 kSendTimeoutTicks = 120;
  AppleEvent event;
  if (AECreateAppleEvent(eventClass, eventID, target, kAutoGenerateReturnID, kAnyTransactionID,
                         &event) != noErr)
    return;
  if (!withValue || AEPutParamPtr(&event, keyDirectObject, typeMagnitude, &value, sizeof value) == noErr)
    AESend(&event, nullptr, kAENoReply, kAENormalPriority, kSendTimeoutTicks, nullptr, nullptr);
  AEDisposeDesc(&event);
}

OSErr HandleOpenApplication(const AppleEvent* event, AppleEvent*, SRefCon) {
  return CheckRequiredParams(event);
}

OSErr HandleOpenDocuments(const AppleEvent* event, AppleEvent*, SRefCon) {
  if (gIsProgressDialogFront()) return userCanceledErr;
  AEDescList list;
  OSErr err = AEGetParamDesc(event, keyDirectObject, typeAEList, &list);
  if (err != noErr) return err;
  err = CheckRequiredParams(event);
  if (err != noErr) {
    AEDisposeDesc(&list);
    return err;
  }
  SInt32 count = 0;
  AECountItems(&list, &count);
  ResetSmfImportState();
  bool opened = false;
  for (SInt32 i = 1; i <= count; ++i) {
    FSSpec fileSpec;
    if (AEGetNthFSSpec(&list, i, &fileSpec) == noErr && OpenDocumentSpec(&fileSpec, 0, 0) == noErr) opened = true;
    if ((gSmfOpenKind & 0x80) || gInsufficientMemoryShown) break;
  }
  // A document that opened changed the current song: its windows show it now.
  if (gSmfOpenKind != 0 || opened) RefreshAfterSongSwitch(1);
  AEDisposeDesc(&list);
  return noErr;
}

OSErr HandleQuitApplication(const AppleEvent* event, AppleEvent*, SRefCon) {
  OSErr err = CheckRequiredParams(event);
  if (err == noErr) gQuitFlag = 1;
  return err;
}

OSErr HandleAppearanceChanged(const AppleEvent*, AppleEvent*, SRefCon) { return noErr; }

void InstallAppleEventHandlers() {
  AEInstallEventHandler(kCoreEventClass, kAEOpenApplication, HandleOpenApplication, 0, false);
  AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, HandleOpenDocuments, 0, false);
  AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, HandleQuitApplication, 0, false);
  AEInstallEventHandler(kAppearanceEventClass, kAEAppearanceChanged, HandleAppearanceChanged, 0, false);
}
