#include "editors/key_commands.h"

#include "editors/follow/play_cursor.h"
#include "editors/follow/step_input.h"
#include "editors/key_command_hooks.h"
#include "editors/step_to_note.h"
#include "editors/transport_keys.h"
#include "platform/events/key_codes.h"
#include "platform/windows/windows.h"
#include "shell/dialogs/value_fields.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "editors/song_list_scroll.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

KeyCommandHooks gKeyCommandHooks;
ModalKeyHook gModalKeyHook;
const uint8_t gViewLetterTable[9] = {'N', 'D', 'P', 'K', 'V', 'A', 'G', kNoViewLetter, 'T'};
uint8_t gVelocityStep = 3;

namespace {

constexpr uint8_t kHelpChar = 5, kHomeChar = 1, kEndChar = 4, kEnterChar = 3, kDeleteChar = 8,
                  kTabChar = 9, kPageUpChar = 11, kPageDownChar = 12, kReturnChar = 13,
                  kEscapeChar = 27, kLeftChar = 28, kRightChar = 29, kUpChar = 30, kDownChar = 31;
constexpr int16_t kScrollLineLeft = 20, kScrollLineRight = 21, kScrollPageLeft = 22,
                  kScrollPageRight = 23;

struct KeyContext {
  uint8_t ch;
  uint8_t keyCode;
  int16_t mask;
  uint16_t modifiers;
  int16_t kind;  // the front window's
};

int16_t FrontKind() {
  const AppWindow* front = FindAppWindow(FrontNonFloatingWindow());
  return front ? front->kind : int16_t(0);
}

bool Has(const KeyContext& k, uint16_t modifier) { return (k.modifiers & modifier) != 0; }

template <typename Proc, typename... Args>
void Call(Proc proc, Args... args) {
  if (proc) proc(args...);
}

bool HasTimeSelection() { return gTimeSelection.end.tick > gTimeSelection.start.tick; }

bool IsNoteView() {
  return gCurrentViewMode == 0 || gCurrentViewMode == 1 || gCurrentViewMode == 9 || gCurrentViewMode == 16;
}

bool IsMovieAttached() { return gCurrentSong && SongHeaderView(gCurrentSong).MovieTrack() != 0; }

void ShowContextHelp() { Call(gKeyCommandHooks.showContextHelp); }

void ScrollCommand(const KeyContext& k, int16_t part) {
  if (k.kind == kSongListKind) HandleSongListKey(part);
  else if (k.kind == kEventListKind) Call(gKeyCommandHooks.scrollEventList, part);
  else if (k.kind == kInstrumentWindowKindId) Call(gKeyCommandHooks.scrollInstrumentWindow, part);
  else Call(gKeyCommandHooks.scrollEditor, part);
}

void DeleteKey(const KeyContext& k) {
  switch (k.kind) {
    case kMarkerListKind: case kInstrumentWindowKindId: case kRemoteControlKind:
    case kSongListKind: case kConductorListKind: case kMixerKind:
      Call(gKeyCommandHooks.doEditMenuItem, int16_t(8));
      return;
    default: break;
  }
  if (HasTimeSelection()) Call(gKeyCommandHooks.doEditMenuItem, int16_t(8));
  else if (k.kind == kMainEditorWindowKind) UndoLastStep();
}

// The current track becomes the previous or next one of the song (never past either end).
void MoveCurrentTrack(int16_t direction) {
  int32_t count = GetSongTrackCount();
  int32_t index = GetCurrentTrackIndex() + direction;
  if (count <= 0 || index < 0 || index >= count) return;
  SetCurrentTrackIndex(index);
  InvalidateTrackWindow();
}

void HorizontalArrow(const KeyContext& k, int16_t direction) {
  bool editor = k.kind == kMainEditorWindowKind;
  if (k.kind == kMovieWindowKind || (editor && IsMovieAttached() && !HasTimeSelection())) {
    ShowLocatePosition();
  } else if (Has(k, cmdKey)) {
    Call(gKeyCommandHooks.changeSelectedDurations, direction);
  } else if (editor || k.kind == kTrackWindowKind) {
    Call(gKeyCommandHooks.doTransformShortcut, int16_t(0), direction);
  }
}

void VerticalArrow(const KeyContext& k, int16_t direction) {
  bool editor = k.kind == kMainEditorWindowKind;
  if (Has(k, optionKey)) MoveCurrentTrack(direction);
  else if (Has(k, cmdKey) && (k.kind == kTrackWindowKind || (editor && IsNoteView())))
    Call(gKeyCommandHooks.doTransformShortcut, int16_t(12), direction);
  else if (k.kind == kMovieWindowKind) return;
  else if (editor) Call(gKeyCommandHooks.changeSelectedVelocities, int16_t(-direction * gVelocityStep));
  else if (k.kind == kSongListKind) Call(gKeyCommandHooks.moveSongListSelection, direction);
  else MoveCurrentTrack(direction);
}

void CounterAtLocateBar() { Call(gKeyCommandHooks.showCounterAtLocateBar); }

bool NoteValueKey(uint8_t ch) {
  if (!IsNoteView()) return true;
  switch (ch) {
    case '1': Call(gKeyCommandHooks.setNoteValue, int16_t(1)); break;
    case '2': Call(gKeyCommandHooks.setNoteValue, int16_t(2)); break;
    case '4': Call(gKeyCommandHooks.setNoteValue, int16_t(4)); break;
    case '8': Call(gKeyCommandHooks.setNoteValue, int16_t(8)); break;
    case '6': Call(gKeyCommandHooks.setNoteValue, int16_t(16)); break;
    default: Call(gKeyCommandHooks.toggleTuplet, int16_t(ch - '0')); break;
  }
  return true;
}

void CKey() {
  // The stop is followed at once: handled in one pass with the cycle request, it would end it.
  if (IsTransportPlaying()) {
    TogglePlayStop();
    Call(gKeyCommandHooks.followTransportState);
  }
  SetTransportRequest(4);
}

void LocateKey(uint32_t tick) { LocateAndShowInWindows(tick, kEditorWindowKindsMask); }

uint32_t SongPosition() { return GetPanePlayPosition(); }

// The option characters of a Mac Roman layout; false when the code is not one of them.
bool HandleOptionCharKey(const KeyContext& k) {
  bool shift = Has(k, shiftKey);
  switch (k.ch) {
    case 0x8D: SetTransportRequest(4); return true;
    case 0xA7: case 0xEA: Call(gKeyCommandHooks.trackColumnKey, uint8_t('S'), shift); return true;
    case 0xA8: SetTransportRequest(2); return true;
    case 0xA9: CounterAtLocateBar(); return true;
    case 0xB5: case 0xE5: {
      bool soloed = gCurrentSong && SongHeaderView(gCurrentSong).SoloCount() != 0;
      Call(gKeyCommandHooks.trackColumnKey, uint8_t(soloed ? 'S' : 'M'), shift);
      return true;
    }
    case 0xB6: Call(gKeyCommandHooks.doEditMenuItem, int16_t(6)); return true;
    case 0xB9: return true;
    case 0xBD: ReturnKeyAction(); return true;
    case 0xC3: Call(gKeyCommandHooks.doEditMenuItem, int16_t(7)); return true;
    case 0xC5: Call(gKeyCommandHooks.doEditMenuItem, int16_t(4)); return true;
    case 0xCA: TogglePlayStop(); return true;
    default: return false;
  }
}

// The table of the editor keys; false when the character is not in it.
bool HandleTableKey(const KeyContext& k, uint8_t upper) {
  switch (upper) {
    case kHomeChar: LocateKey(1); return true;
    case kEndChar: {
      uint32_t end = gCurrentSong ? SongHeaderView(gCurrentSong).EndTick() : 1;
      LocateKey(end > 1 ? end - 1 : 1);
      return true;
    }
    case kEnterChar: case ' ': case '`': TogglePlayStop(); return true;
    case kHelpChar: ShowContextHelp(); return true;
    case kDeleteChar:
      if (!(k.mask & kAllowDelete)) return false;
      DeleteKey(k);
      return true;
    case kTabChar:
      if (!(k.mask & kAllowTab)) return false;
      Call(gKeyCommandHooks.goToAdjacentMarker, Has(k, shiftKey));
      return true;
    case kPageUpChar: ScrollCommand(k, Has(k, shiftKey) ? kScrollLineLeft : kScrollPageLeft); return true;
    case kPageDownChar: ScrollCommand(k, Has(k, shiftKey) ? kScrollLineRight : kScrollPageRight); return true;
    case '<': ScrollCommand(k, kScrollLineLeft); return true;
    case '>': ScrollCommand(k, kScrollLineRight); return true;
    case kReturnChar: ReturnKeyAction(); return true;
    case kEscapeChar: Call(gKeyCommandHooks.cancelPaneAction); return true;
    case kLeftChar: HorizontalArrow(k, -1); return true;
    case kRightChar: HorizontalArrow(k, 1); return true;
    case kUpChar: VerticalArrow(k, -1); return true;
    case kDownChar: VerticalArrow(k, 1); return true;
    case '+': LocateKey(NextBarLineTick(SongPosition())); return true;
    case '-': LocateKey(PreviousBarLineTick(SongPosition())); return true;
    case '.':
      if (k.keyCode == kKeypadDecimalKeyCode) CounterAtLocateBar();
      else if (IsNoteView()) Call(gKeyCommandHooks.toggleDotted);
      return true;
    case '/':
      if (Has(k, cmdKey) && Has(k, shiftKey)) ShowContextHelp();
      return true;
    case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8':
      return NoteValueKey(upper);
    case 'C': CKey(); return true;
    case 'E': Call(gKeyCommandHooks.selectEditTool, int16_t(4)); return true;
    case 'Q': Call(gKeyCommandHooks.selectEditTool, int16_t(0)); return true;
    case 'W': Call(gKeyCommandHooks.selectEditTool, int16_t(1)); return true;
    case 'M': Call(gKeyCommandHooks.openMarkerDialog, SongPosition(), IsTransportPlaying()); return true;
    case 'R': Call(gKeyCommandHooks.resetEventTemplate); return true;
    case '[': case '{': StepToNote(-1, Has(k, shiftKey)); return true;
    case ']': case '}': StepToNote(1, Has(k, shiftKey)); return true;
    default: return HandleOptionCharKey(k);
  }
}

bool IsHelpKey(uint8_t ch, const EventRecord* event) {
  if (ch == kHelpChar) return true;
  return ch == '/' && event && (event->modifiers & cmdKey) && (event->modifiers & shiftKey);
}

OSStatus RouteByKind(int16_t kind, uint8_t ch, uint8_t keyCode, EventRecord* event) {
  switch (kind) {
    case 2: case 4: case 5: case 6: case 9: case 11: case 14: case 15: case 20: case 23: case 25:
      HandleEditorKey(ch, keyCode, -1, event);
      return noErr;
    case 3: case 12: HandleEditorKey(ch, keyCode, -2, event); return noErr;
    case 7: case 8: HandleEditorKey(ch, keyCode, -3, event); return noErr;
    case 10: Call(gKeyCommandHooks.notepadKey, ch, event); return noErr;
    case 13: {
      OSStatus answer = gKeyCommandHooks.pluginChooserKey ? gKeyCommandHooks.pluginChooserKey(ch, event) : noErr;
      if (answer == kKeyNotUsed) return answer;
      if (answer == noErr) HandleEditorKey(ch, keyCode, -2, event);
      return noErr;
    }
    case 16: return noErr;
    case 22:
      if (gKeyCommandHooks.jukeboxKey)
        gKeyCommandHooks.jukeboxKey(ch, keyCode, event ? uint16_t(event->modifiers) : 0, event ? event->when : 0);
      return noErr;
    default: break;
  }
  if (gKeyCommandHooks.passKeyToPluginWindow && IsPluginWindowKey(ch, keyCode, event) &&
      gKeyCommandHooks.passKeyToPluginWindow(ch, event))
    return noErr;
  return kKeyNotUsed;
}

}  // namespace

OSStatus HandleKeyCommand(uint8_t ch, EventRecord* event) {
  if (gModalKeyHook.active != 0) {
    if (gModalKeyHook.proc) gModalKeyHook.proc(ch, event);
    else HandleValueFieldKeyIfActive(ch);
    return noErr;
  }
  if (HandleValueFieldKeyIfActive(ch)) return noErr;
  if (gKeyCommandHooks.keyboardWindowKey && gKeyCommandHooks.keyboardWindowKey(ch, event) != kKeyNotUsed)
    return noErr;
  uint8_t keyCode = event ? uint8_t((event->message & keyCodeMask) >> 8) : 0;
  int16_t kind = FrontKind();
  if (IsHelpKey(ch, event)) kind = kRhythmToolKind;
  if (keyCode == kKeypadDecimalKeyCode) kind = kMainEditorWindowKind;
  return RouteByKind(kind, ch, keyCode, event);
}

uint8_t HandleEditorKey(uint8_t ch, uint8_t keyCode, int16_t keyMask, EventRecord* event) {
  uint8_t upper = (ch >= 'a' && ch <= 'z') ? uint8_t(ch - 'a' + 'A') : ch;
  KeyContext k{ch, keyCode, keyMask, event ? uint16_t(event->modifiers) : uint16_t(0), FrontKind()};
  if (k.kind == kMainEditorWindowKind) {
    for (int16_t mode = 0; mode < 9; ++mode) {
      if (gViewLetterTable[mode] == kNoViewLetter || gViewLetterTable[mode] != upper) continue;
      Call(gKeyCommandHooks.selectViewMode, mode);
      return ch;
    }
  }
  return HandleTableKey(k, upper) ? ch : uint8_t(0);
}

bool IsPluginWindowKey(uint8_t ch, uint8_t keyCode, EventRecord* event) {
  if ((ch >= '0' && ch <= '9') || ch == kDeleteChar || ch == '.' || ch == kEnterChar) return true;
  if ((ch >= kLeftChar && ch <= kDownChar) || ch == '[' || ch == ']') return true;
  return HandleEditorKey(ch, keyCode, 0, event) == 0;
}
