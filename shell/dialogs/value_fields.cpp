#include "shell/dialogs/value_fields.h"

#include <algorithm>
#include <cstring>

#include "platform/events/key_codes.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/text.h"
#include "platform/system/sys_beep.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_state.h"
#include "shell/base/position_formats.h"
#include "shell/dialogs/dialog_text.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/scratch_rect.h"

ValueFieldState gValueField;

namespace {

constexpr uint8_t kCommitKey14 = 14;
constexpr uint8_t kBlankFiller = 202;  // the non-breaking blank some fields pad with
constexpr int32_t kArrowSmallStep = 1, kArrowLargeStep = 10;

void SetText(const char* s) {
  size_t n = std::min<size_t>(std::strlen(s), 255);
  gValueField.text[0] = uint8_t(n);
  std::memcpy(gValueField.text + 1, s, n);
}

bool MinusAccepted() { return (gValueField.flags & kValueFieldDashAtMinimum) || gValueField.minimum < 0; }

bool CharacterAccepted(uint8_t ch) {
  if (ch >= '0' && ch <= '9') return true;
  if (ch == '-') return MinusAccepted();
  if (ch == '.') return (gValueField.flags & kValueFieldDecimal) != 0;
  return false;
}

void AppendCharacter(uint8_t ch) {
  if (gValueField.flags & kValueFieldFreshText) {
    gValueField.flags &= ~kValueFieldFreshText;
    gValueField.text[0] = 0;
  }
  int32_t limit = std::clamp<int32_t>(gValueField.maxTextLength, 1, 255);
  if (gValueField.text[0] < limit) gValueField.text[++gValueField.text[0]] = ch;
  RedrawValueField();
}

void StepTypedNumber(int32_t delta) {
  int64_t stepped = int64_t(ReadValueFieldText()) + delta;
  stepped = std::clamp<int64_t>(stepped, gValueField.minimum, gValueField.maximum);
  SetValueFieldNumber(int32_t(stepped));
}

void UseFieldPortAndColours() {
  GetPort(&gValueField.savedPort);
  if (gValueField.port && IsValidPort(gValueField.port)) SetPort(gValueField.port);
  if (IsColorDrawingOn()) {
    RGBBackColor(&gValueField.savedBack);
    RGBForeColor(&gValueField.savedFore);
  }
}

void RestorePortAndScratchRect() {
  if (gValueField.savedPort) SetPort(gValueField.savedPort);
  gValueField.savedPort = nullptr;
  gScratchRect = gValueField.savedScratchRect;
}

}  // namespace

bool IsValueFieldActive() { return gValueField.flags != 0; }

void ActivateValueField(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                        int32_t value, ValueDrawProc drawProc) {
  gValueField.savedScratchRect = gScratchRect;
  gValueField.rect = gScratchRect;
  InsetRect(&gValueField.rect, 1, 1);
  gValueField.changeProc = changeProc;
  gValueField.drawProc = drawProc ? drawProc : SetValueFieldNumber;
  gValueField.minimum = std::min(minimum, maximum);
  gValueField.maximum = std::max(minimum, maximum);
  gValueField.value = value;
  GetPort(&gValueField.port);
  if (IsColorDrawingOn()) {
    GetBackColor(&gValueField.savedBack);
    GetForeColor(&gValueField.savedFore);
    const RGBColor& b = gValueField.savedBack;
    if (b.red > 0xABE0 && b.green > 0xABE0 && b.blue > 0xABE0) gValueField.savedBack = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  }
  if (gValueField.port) {
    gValueField.fontId = GetPortTextFont(gValueField.port);
    gValueField.fontSize = GetPortTextSize(gValueField.port);
  }
  gValueField.flags = (gValueField.flags & (kValueFieldDecimal | kValueFieldDashAtMinimum)) |
                      kValueFieldAllDragBits;
}

void SetValueFieldNumber(int32_t value) {
  gValueField.value = value;
  if ((gValueField.flags & kValueFieldDashAtMinimum) && value <= gValueField.minimum)
    SetText("--");
  else if (gValueField.flags & kValueFieldDecimal)
    FormatTenths(value, gValueField.text);
  else
    NumToString(value, gValueField.text);
  RedrawValueField();
}

int32_t ReadValueFieldText() {
  const unsigned char* text = gValueField.text;
  size_t start = 1;
  while (start <= text[0] && text[start] == ' ') ++start;
  while (start <= text[0] && text[start] == kBlankFiller) ++start;
  if ((gValueField.flags & kValueFieldDashAtMinimum) && start <= text[0] && text[start] == '-' &&
      (start == text[0] || text[start + 1] == '-'))
    return gValueField.minimum;
  Str255 rest;
  rest[0] = uint8_t(text[0] + 1 - start);
  std::memcpy(rest + 1, text + start, rest[0]);
  return (gValueField.flags & kValueFieldDecimal) ? ParseTenths(rest) : ParseLeadingNumber(rest);
}

bool HandleValueFieldKey(uint8_t ch) {
  switch (ch) {
    case kEnterCharCode:
    case kReturnCharCode:
    case kCommitKey14:
      CommitValueFieldEdit();
      return true;
    case kTabCharCode:
      gValueField.flags &= ~kValueFieldTabBit;
      CommitValueFieldEdit();
      return true;
    case kBackspaceCharCode:
      if (gValueField.flags & kValueFieldFreshText) {
        gValueField.flags &= ~kValueFieldFreshText;
        gValueField.text[0] = 0;
      } else if (gValueField.text[0] > 0) {
        --gValueField.text[0];
      }
      RedrawValueField();
      return true;
    default:
      break;
  }
  if (!gValueField.limitCheck) {
    AppendCharacter(ch);
    if (gValueField.keyProc) gValueField.keyProc(ch);
    return true;
  }
  // Up raises the number as dragging upwards does.
  switch (ch) {
    case kLeftArrowCharCode: StepTypedNumber(-kArrowSmallStep); return true;
    case kRightArrowCharCode: StepTypedNumber(kArrowSmallStep); return true;
    case kUpArrowCharCode: StepTypedNumber(kArrowLargeStep); return true;
    case kDownArrowCharCode: StepTypedNumber(-kArrowLargeStep); return true;
    default: break;
  }
  if (!CharacterAccepted(ch)) {
    CommitValueFieldEdit();
    return false;
  }
  AppendCharacter(ch);
  return true;
}

bool HandleValueFieldKeyIfActive(uint8_t ch) {
  if (!IsValueFieldActive()) return false;
  return HandleValueFieldKey(ch);
}

void CommitValueFieldEdit() {
  static bool committing = false;
  if (!IsValueFieldActive() || committing) return;
  // A borrowed field keeps everything: the owner that lent it commits it later.
  if (gValueField.nested != 0) return;
  committing = true;
  UseFieldPortAndColours();
  int32_t number = ReadValueFieldText();
  bool outside = number < gValueField.minimum || number > gValueField.maximum;
  if (gValueField.limitCheck && outside) SysBeep(5);
  gValueField.value = std::clamp(number, gValueField.minimum, gValueField.maximum);
  TextMode(srcCopy);
  // The change procedure still sees the flags (a Tab commit has bit 16 clear).
  if (gValueField.changeProc) gValueField.changeProc(gValueField.value);
  gValueField.flags = 0;
  RestorePortAndScratchRect();
  committing = false;
  // One-shot: set by the change procedure for what follows this commit (Tab to the next field).
  ValueAfterProc after = gValueField.afterProc;
  gValueField.afterProc = nullptr;
  if (after) after();
}

void RedrawValueField() {
  if (!IsValueFieldActive() || (gAppState[0] & kAppWord0ScreenDrawing)) return;
  if (!gValueField.port || !IsValidPort(gValueField.port)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(gValueField.port);
  RgnHandle clip = NewRgn();
  GetClip(clip);
  ClipRect(&gValueField.rect);
  short font = GetPortTextFont(gValueField.port), size = GetPortTextSize(gValueField.port);
  TextFont(gValueField.fontId);
  TextSize(gValueField.fontSize);
  EraseRect(&gValueField.rect);
  FontInfo info{};
  GetFontInfo(&info);
  short width = StringWidth(gValueField.text);
  MoveTo(short(gValueField.rect.right - width - 1), short(gValueField.rect.bottom - info.descent - 1));
  DrawString(gValueField.text);
  TextFont(font);
  TextSize(size);
  SetClip(clip);
  DisposeRgn(clip);
  if (saved) SetPort(saved);
}

void ResetValueField() { gValueField = ValueFieldState(); }
