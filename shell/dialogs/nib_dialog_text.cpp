// Texts and numbers of nib dialog fields.
#include "shell/dialogs/nib_dialog_text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "shell/base/error_report.h"
#include "shell/base/position_formats.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/dialog_text.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "shell/dialogs/note_names.h"
#include "song/model/key_codes.h"

namespace {

void HookField(NibDialog* dialog, ControlRef control, int32_t id) {
  if (!dialog->fieldHandlerUPP || id == 0 || IsDialogFieldHooked(dialog, id)) return;
  if (dialog->fieldCount >= kMaxHookedFields) return;  // the table is full: left unhooked
  int slot = dialog->fieldCount;
  if (InstallDialogFieldHandler(control, dialog->fieldHandlerUPP, slot, dialog) != noErr) return;
  dialog->fieldIds[slot] = int16_t(id);
  dialog->fieldCount = uint8_t(slot + 1);
  if (dialog->keyFilterUPP) {
    SetControlReference(control, SRefCon(dialog));
    ControlKeyFilterUPP filter = dialog->keyFilterUPP;
    SetControlData(control, kControlEntireControl, kControlEditTextKeyFilterTag, sizeof filter,
                   &filter);
  }
}

void SetDialogCText(WindowRef window, const char* text, int32_t id) {
  Str255 p;
  CopyCStringToPascal(text, p);
  SetDialogText(window, p, id);
}

void SetFieldCText(NibDialog* dialog, const char* text, int32_t id) {
  Str255 p;
  CopyCStringToPascal(text, p);
  SetDialogFieldText(dialog, p, id);
}

// A C copy of the field's text; false when it cannot be read.
bool ReadFieldCText(WindowRef window, int32_t id, char* out) {
  if (GetDialogText(window, id) != noErr) return false;
  CopyPascalStringToC(gStringBuffer, out);
  return true;
}

}  // namespace

ControlRef SetDialogText(WindowRef window, ConstStr255Param text, int32_t id) {
  ControlRef control = nullptr;
  if (FindDialogView(window, id, &control) != noErr) return nullptr;
  if (!text) return control;
  CFStringRef string = CFStringCreateWithPascalString(nullptr, text, kCFStringEncodingMacRoman);
  SetControlData(control, kControlEntireControl, kControlEditTextCFStringTag, sizeof string,
                 &string);
  CFRelease(string);
  return control;
}

ControlRef SetDialogFieldText(NibDialog* dialog, ConstStr255Param text, int32_t id) {
  ControlRef control = SetDialogText(dialog->window, text, id);
  if (control) HookField(dialog, control, id);
  return control;
}

bool IsDialogFieldHooked(const NibDialog* dialog, int32_t id) {
  for (int i = 0; i < dialog->fieldCount && i < kMaxHookedFields; ++i)
    if (dialog->fieldIds[i] == id) return true;
  return false;
}

OSStatus CopyControlTextToBuffer(ControlRef control) {
  gStringBuffer[0] = 0;
  CFStringRef string = nullptr;
  OSStatus err = GetControlData(control, kControlEntireControl, kControlEditTextCFStringTag,
                                sizeof string, &string, nullptr);
  if (err != noErr) return err;
  if (!string) return paramErr;
  CFStringGetPascalString(string, gStringBuffer, sizeof(Str255), kCFStringEncodingMacRoman);
  CFRelease(string);
  return noErr;
}

OSStatus GetDialogText(WindowRef window, int32_t id) {
  gStringBuffer[0] = 0;
  ControlRef control = nullptr;
  OSStatus err = FindDialogView(window, id, &control);
  if (err == noErr) err = CopyControlTextToBuffer(control);
  if (err != noErr) ReportError(err);
  return err;
}

int32_t GetDialogNumber(WindowRef window, int32_t id) {
  if (GetDialogText(window, id) != noErr) return 0;
  return ParseLeadingNumber(gStringBuffer);
}

int64_t GetDialogNumber64(WindowRef window, int32_t id) {
  char text[256];
  if (!ReadFieldCText(window, id, text)) return 0;
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(text, &end, 10);
  if (end == text || errno != 0) return 0;
  return int64_t(n);
}

int32_t GetDialogTextValue(WindowRef window, int32_t id) {
  if (GetDialogText(window, id) != noErr) return 0;
  return ParseTenths(gStringBuffer);
}

double GetDialogDouble(WindowRef window, int32_t id) {
  if (GetDialogText(window, id) != noErr) return 0;
  return ParseFloatText(gStringBuffer);
}

int32_t GetDialogNoteValue(WindowRef window, int32_t id) {
  if (GetDialogText(window, id) != noErr) return kNoNote;
  return ParseNoteOrNumber(gStringBuffer, nullptr);
}

uint8_t GetDialogPitchSpelling(WindowRef window, int32_t id) {
  gTypedAccidental = 0;
  int32_t note = GetDialogNoteValue(window, id);
  return SpellPitchClass(note < 0 ? 0 : note % 12);
}

void SetDialogNumber(WindowRef window, int32_t n, int32_t id) {
  Str255 text;
  NumToString(n, text);
  SetDialogText(window, text, id);
}

void SetDialogFieldNumber(NibDialog* dialog, int32_t n, int32_t id) {
  Str255 text;
  NumToString(n, text);
  SetDialogFieldText(dialog, text, id);
}

void SetDialogNumber64(WindowRef window, int64_t n, int32_t id) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(n));
  SetDialogCText(window, text, id);
}

void SetDialogFieldNumber64(NibDialog* dialog, int64_t n, int32_t id) {
  char text[64];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(n));
  SetFieldCText(dialog, text, id);
}

void SetDialogDouble(NibDialog* dialog, int32_t id, bool trim, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  if (trim && std::strchr(text, '.')) {
    size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == '0') text[--n] = 0;
    if (n > 0 && text[n - 1] == '.') text[--n] = 0;
  }
  SetFieldCText(dialog, text, id);
}

void SetDialogTimeText(NibDialog* dialog, int32_t value, int32_t id) {
  Str255 text;
  AppendDotToNumber(text, value);
  SetDialogFieldText(dialog, text, id);
}

void SetDialogNoteName(NibDialog* dialog, int32_t note, int32_t id) {
  Str255 name;
  MakeNoteName(name, note, kSpellByKey);
  SetDialogFieldText(dialog, name, id);
}

namespace {

// Error text 27 once, the confirm refused, the field selected and made the focus item.
void RefuseDialogField(WindowRef window, int32_t id) {
  ReportAppErrorText(kValueOutOfRangeText);
  gDialogInputValid = 0;
  SelectDialogField(window, id);
  gDialogFocusItem = uint32_t(id);
}

}  // namespace

uint8_t GetDialogNumberInRange(WindowRef window, int32_t min, int32_t max, int32_t* out,
                               int32_t id) {
  if (!gDialogInputValid) return 0;
  int32_t value = GetDialogNumber(window, id);
  if (value >= min && value <= max) {
    *out = value;
    return gDialogInputValid;
  }
  RefuseDialogField(window, id);
  return 0;
}

uint8_t GetDialogDoubleInRange(WindowRef window, double min, double max, double* out, int32_t id) {
  if (!gDialogInputValid) return 0;
  double value = GetDialogDouble(window, id);
  if (value >= min && value <= max) {
    *out = value;
    return gDialogInputValid;
  }
  RefuseDialogField(window, id);
  return 0;
}
