// The single-line edit field: text, selection, caret, horizontal scrolling and keys.
#include <algorithm>

#include "platform/controls/control_internal.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/host_time.h"
#include "platform/windows/scrap.h"

namespace {

constexpr char kPasswordBullet = char(0xA5);  // Mac Roman bullet

SInt16 Length(ControlRef c) { return SInt16(c->text.size()); }

// The end of the selection that moves (the other end is the anchor).
SInt16 ActiveEnd(ControlRef c) { return c->anchor == c->selStart ? c->selEnd : c->selStart; }

void Select(ControlRef c, SInt32 anchor, SInt32 active) {
  SInt16 len = Length(c);
  SInt16 a = SInt16(std::clamp<SInt32>(anchor, 0, len));
  SInt16 b = SInt16(std::clamp<SInt32>(active, 0, len));
  c->anchor = a;
  c->selStart = std::min(a, b);
  c->selEnd = std::max(a, b);
}

void MoveCaret(ControlRef c, SInt32 to, bool extend) {
  if (extend)
    Select(c, c->anchor, to);
  else
    Select(c, to, to);
}

void ReplaceSelection(ControlRef c, const std::string& with) {
  size_t room = kMaxControlText - (c->text.size() - size_t(c->selEnd - c->selStart));
  std::string insert = with.substr(0, std::min(with.size(), room));
  c->text.replace(size_t(c->selStart), size_t(c->selEnd - c->selStart), insert);
  SInt32 caret = c->selStart + SInt32(insert.size());
  Select(c, caret, caret);
}

bool IsWordChar(char ch) {
  unsigned char u = static_cast<unsigned char>(ch);
  return u >= 0x80 || (u >= '0' && u <= '9') || ((u | 0x20) >= 'a' && (u | 0x20) <= 'z');
}

SInt32 WordLeft(ControlRef c, SInt32 from) {
  while (from > 0 && !IsWordChar(c->text[size_t(from - 1)])) --from;
  while (from > 0 && IsWordChar(c->text[size_t(from - 1)])) --from;
  return from;
}

SInt32 WordRight(ControlRef c, SInt32 from) {
  SInt32 len = Length(c);
  while (from < len && !IsWordChar(c->text[size_t(from)])) ++from;
  while (from < len && IsWordChar(c->text[size_t(from)])) ++from;
  return from;
}

// Arrow and Home/End keys; true when the key was one of them.
bool NavigationKey(ControlRef c, SInt16 ch, EventModifiers modifiers) {
  bool extend = modifiers & shiftKey;
  bool toEnd = modifiers & cmdKey, byWord = modifiers & optionKey;
  SInt32 at = ActiveEnd(c);
  switch (ch) {
    case kLeftArrowCharCode:
      if (!extend && c->selStart != c->selEnd && !toEnd && !byWord) at = c->selStart;
      else at = toEnd ? 0 : byWord ? WordLeft(c, at) : at - 1;
      break;
    case kRightArrowCharCode:
      if (!extend && c->selStart != c->selEnd && !toEnd && !byWord) at = c->selEnd;
      else at = toEnd ? Length(c) : byWord ? WordRight(c, at) : at + 1;
      break;
    case kUpArrowCharCode:
    case kHomeCharCode: at = 0; break;
    case kDownArrowCharCode:
    case kEndCharCode: at = Length(c); break;
    default: return false;
  }
  MoveCaret(c, at, extend);
  return true;
}

// Backspace, forward delete and typing; true when the key changed the text or was typing.
bool EditingKey(ControlRef c, SInt16 ch) {
  if (ch == kBackspaceCharCode || ch == kDeleteCharCode) {
    if (c->selStart == c->selEnd) {
      SInt32 at = c->selStart;
      if (ch == kBackspaceCharCode && at > 0) Select(c, at - 1, at);
      if (ch == kDeleteCharCode && at < Length(c)) Select(c, at, at + 1);
    }
    ReplaceSelection(c, std::string());
    return true;
  }
  if (ch < kSpaceCharCode || ch > 255) return false;
  ReplaceSelection(c, std::string(1, char(ch)));
  return true;
}

// The selection to the clipboard as text (a password field gives nothing away).
void CopySelection(ControlRef c) {
  if (c->password || c->selStart == c->selEnd) return;
  ScrapRef scrap = nullptr;
  if (ClearCurrentScrap() != noErr || GetCurrentScrap(&scrap) != noErr) return;
  PutScrapFlavor(scrap, kScrapFlavorTypeText, kScrapFlavorMaskNone, c->selEnd - c->selStart,
                 c->text.data() + c->selStart);
}

// The clipboard's text up to its first line break (the field holds one line).
bool PasteText(ControlRef c) {
  ScrapRef scrap = nullptr;
  Size size = 0;
  if (GetCurrentScrap(&scrap) != noErr || GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size) != noErr)
    return false;
  std::string text(size_t(std::clamp<Size>(size, 0, Size(kMaxControlText))), '\0');
  size = Size(text.size());
  if (GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, text.data()) != noErr) return false;
  text.resize(size_t(size));
  size_t lineEnd = text.find_first_of("\r\n");
  if (lineEnd != std::string::npos) text.resize(lineEnd);
  ReplaceSelection(c, text);
  return true;
}

// Command keys: select all, copy, cut, paste; false for the others.
bool CommandKey(ControlRef c, SInt16 ch, bool* changed) {
  switch (ch | 0x20) {
    case 'a': Select(c, 0, Length(c)); return true;
    case 'c': CopySelection(c); return true;
    case 'x':
      if (c->locked || c->password) return true;
      CopySelection(c);
      ReplaceSelection(c, std::string());
      *changed = true;
      return true;
    case 'v':
      if (!c->locked) *changed = PasteText(c);
      return true;
    default: return false;
  }
}

}  // namespace

Rect EditTextInnerRect(ControlRef c) {
  Rect r = c->bounds;
  InsetRect(&r, 1, 0);
  return r;
}

std::string EditTextShownText(ControlRef c) {
  return c->password ? std::string(c->text.size(), kPasswordBullet) : c->text;
}

void EditTextSetText(ControlRef c, const std::string& text) {
  c->text = text.substr(0, kMaxControlText);
  Select(c, Length(c), Length(c));
  c->scrollX = 0;
  EditTextScrollToCaret(c);
}

void EditTextSetSelection(ControlRef c, SInt32 start, SInt32 end) {
  if (start > end) std::swap(start, end);
  Select(c, start, end);
  EditTextScrollToCaret(c);
}

SInt16 EditTextOffsetAt(ControlRef c, SInt16 h) {
  std::string shown = EditTextShownText(c);
  int x = h - EditTextInnerRect(c).left + c->scrollX;
  // The boundary nearest to x: widths grow with the offset, so walk until past it.
  int before = 0;
  for (size_t n = 1; n <= shown.size(); ++n) {
    int after = before + ControlTextWidth(c, shown.substr(n - 1, 1), 1);
    if (after >= x) return SInt16(x - before <= after - x ? n - 1 : n);
    before = after;
  }
  return SInt16(shown.size());
}

void EditTextScrollToCaret(ControlRef c) {
  Rect inner = EditTextInnerRect(c);
  int visible = std::max(1, inner.right - inner.left - 1);
  std::string shown = EditTextShownText(c);
  int caret = ControlTextWidth(c, shown, size_t(ActiveEnd(c)));
  int total = ControlTextWidth(c, shown, shown.size());
  int scroll = c->scrollX;
  if (caret - scroll > visible) scroll = caret - visible;
  if (caret < scroll) scroll = caret;
  if (total - scroll < visible) scroll = std::max(0, total - visible);
  c->scrollX = SInt16(std::clamp(scroll, 0, 32767));
}

bool EditTextKey(ControlRef c, SInt16 keyCode, SInt16 charCode, EventModifiers modifiers) {
  if (c->keyFilter &&
      c->keyFilter(c, &keyCode, &charCode, &modifiers) == kControlKeyFilterBlockKey)
    return true;
  bool changed = false;
  if (modifiers & cmdKey) {
    if (!CommandKey(c, charCode, &changed) && !NavigationKey(c, charCode, modifiers)) return false;
    if (changed) SendControlTextChanged(c);
  } else if (!NavigationKey(c, charCode, modifiers)) {
    if (c->locked || !EditingKey(c, charCode)) return false;
    SendControlTextChanged(c);
  }
  c->caretOn = true;
  c->caretTick = TickCount();
  EditTextScrollToCaret(c);
  RedrawControl(c);
  return true;
}
