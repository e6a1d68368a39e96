// Alerts: from 'ALRT' resources (Alert, StopAlert, NoteAlert, CautionAlert) and built from
// texts (StandardAlert).
//
// An 'ALRT' alert runs through its stages: the same alert again in a row moves to the next
// stage (up to the fourth), another alert starts at the first. The stage decides the beeps,
// whether the alert shows at all (a silent stage answers -1 without showing anything) and
// the default item (1 or 2); the other of items 1 and 2, when it is a button, is the cancel
// item. The alert runs in ModalDialog with the filter (none: the standard filter).
#pragma once

#include "platform/dialogs/dialogs.h"

// The item hit, or -1 when the alert was not shown (silent stage, missing or damaged
// resources: GetDialogError says which).
DialogItemIndex Alert(SInt16 alertID, ModalFilterUPP filterProc);
DialogItemIndex StopAlert(SInt16 alertID, ModalFilterUPP filterProc);
DialogItemIndex NoteAlert(SInt16 alertID, ModalFilterUPP filterProc);
DialogItemIndex CautionAlert(SInt16 alertID, ModalFilterUPP filterProc);
// The stage the last alert ran in (0 for the first) and a way back to the first.
SInt16 GetAlertStage();
void ResetAlertStage();

using AlertType = SInt16;
enum : AlertType {
  kAlertStopAlert = 0,
  kAlertNoteAlert = 1,
  kAlertCautionAlert = 2,
  kAlertPlainAlert = 3,
};

enum : DialogItemIndex {
  kAlertStdAlertOKButton = 1,
  kAlertStdAlertCancelButton = 2,
  kAlertStdAlertOtherButton = 3,
  kAlertStdAlertHelpButton = 4,
};

// Button texts that stand for the standard words ("OK", "Cancel", "Don't Save").
inline const ConstStringPtr kAlertDefaultOKText = reinterpret_cast<ConstStringPtr>(intptr_t(-1));
inline const ConstStringPtr kAlertDefaultCancelText = reinterpret_cast<ConstStringPtr>(intptr_t(-1));
inline const ConstStringPtr kAlertDefaultOtherText = reinterpret_cast<ConstStringPtr>(intptr_t(-1));

enum : UInt16 { kWindowDefaultPosition = 0, kWindowAlertPositionMainScreen = 0x300A };

struct AlertStdAlertParamRec {
  Boolean movable = false;
  Boolean helpButton = false;
  ModalFilterUPP filterProc = nullptr;
  ConstStringPtr defaultText = kAlertDefaultOKText;  // null: no default button
  ConstStringPtr cancelText = nullptr;               // null: no cancel button
  ConstStringPtr otherText = nullptr;                // null: no third button
  SInt16 defaultButton = kAlertStdAlertOKButton;
  SInt16 cancelButton = 0;
  UInt16 position = kWindowDefaultPosition;
};

enum : UInt32 { kStdAlertDoNotDisposeSheet = 1, kStdCFStringAlertVersionOne = 1 };
OSStatus GetStandardAlertDefaultParams(AlertStdAlertParamRec* param, UInt32 version);
// An alert of the type with the error text (bold) and the explanation (may be null) and up to
// three buttons (items 1 default, 2 cancel, 3 other; 4 help). param null: an OK button only.
OSErr StandardAlert(AlertType inAlertType, ConstStr255Param inError, ConstStr255Param inExplanation,
                    const AlertStdAlertParamRec* inAlertParam, DialogItemIndex* outItemHit);
