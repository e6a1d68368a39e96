// The Apple events every application answers: open application, open documents, quit and
// appearance changed.
#pragma once

#include "platform/events/apple_events.h"

OSErr HandleOpenApplication(const AppleEvent* event, AppleEvent* reply, SRefCon refcon);
OSErr HandleOpenDocuments(const AppleEvent* event, AppleEvent* reply, SRefCon refcon);
OSErr HandleQuitApplication(const AppleEvent* event, AppleEvent* reply, SRefCon refcon);
OSErr HandleAppearanceChanged(const AppleEvent* event, AppleEvent* reply, SRefCon refcon);
// 0 when the event has no missed required parameter, else errAEParamMissed (-1715).
OSErr CheckRequiredParams(const AppleEvent* event);
void InstallAppleEventHandlers();
// Sends an Apple event of class and id to target with no reply (normal priority, 120 ticks),
// with value as its direct object ('magn') when withValue is set. Failures are not reported.
void SendAppleEventToSelf(const AEAddressDesc* target, AEEventClass eventClass, AEEventID eventID,
                          UInt32 value, bool withValue);
// True while a long operation's progress dialog is the front window: documents wait.
extern bool (*gIsProgressDialogFront)();
