// The Transform menu: its dispatcher and the openers of its dialogs. Items 13 and 14 (the
// tempo and signature dialogs) are the menu routes' own; items 0 and 12 come only from the
// editors' keys.
#pragma once

#include <cstdint>

// Refreshes the edit context (and with it the event filters), runs the item and finishes the
// command. flags: the direction of item 0 (+1 later, -1 earlier), the semitones of item 12.
void DoTransformMenuItem(int16_t item, int32_t flags);

// The openers (no arguments; each checks the time selection itself where it needs one); each
// is defined in its dialog's own file.
void NudgeSelection(int32_t direction);     // item 0
void OpenQuantizeDialog();                  // item 1, "sequan"
void OpenDurationDialog();                  // item 2, "dur"
void OpenTransposeDialog();                 // item 3, "transp"
void OpenHumanizeDialog();                  // item 4, "hum"
void OpenVelocityDialog();                  // item 5, "vel"
void OpenChannelDialog();                   // item 6, "chn"
void OpenShiftDialog();                     // item 7, "shift"
void OpenControllerValueDialog();           // item 8, "conmidi" or "conaudio"
void OpenPitchBendDialog();                 // item 9, "pb"
void OpenLimitDialog();                     // item 10, "lim"
void OpenThinDialog();                      // item 11, "thin"
void ShiftNotesBySemitones(int32_t steps);  // item 12
