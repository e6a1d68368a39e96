#include "shell/settings/meter_tempo_dialogs.h"

#include "platform/system/sys_beep.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/arithmetic.h"
#include "shell/base/position_formats.h"
#include "shell/dialogs/dialog_arrows.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/note_names.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/dialogs/meter_key_dialog.h"
#include "song/dialogs/tempo_dialog.h"
#include "song/model/key_codes.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kSubframesPerFrame = 80;
constexpr int32_t kMaxDenominatorShift = 6;
const unsigned char kEmptyText[] = {0};

int32_t FramesPerSecond() {
  int32_t fps = int32_t(SubframesPerSecondForRate(gSmpteRateCode) / kSubframesPerFrame + 0.5);
  return fps > 0 ? fps : 30;
}

// The largest value of each time field: hours, minutes, seconds, frames, subframes.
int32_t TimePartMaximum(int32_t part) {
  const int32_t limits[5] = {99, 59, 59, FramesPerSecond() - 1, kSubframesPerFrame - 1};
  return limits[part];
}

void SetTenthsItem(int32_t value, int16_t item) {
  Str255 text;
  FormatTenths(value, text);
  SetDialogItemString(text, item);
}

// Runs the modal loop until OK or Cancel (or the dialog went away: 0); `hit` handles the
// other items; `ok` reads the fields and answers false to keep the dialog open.
bool RunDialogLoop(void (*hit)(int16_t), bool (*ok)()) {
  for (;;) {
    int16_t item = RunModalDialog();
    if (item == 1 && ok()) return true;
    if (item == 2 || item == 0) return false;
    if (item != 1) hit(item);
  }
}

// --- Time and key signature ---------------------------------------------------------------

int16_t gSignatureStepField = kSigNumeratorItem;
SignatureDialogFields gSignatureFields;

void ShowKeyPitch(int32_t pitch) { SetDialogItemPitchName(pitch, kSigKeyItem); }

void ShowGroups(const int32_t* groups) {
  for (int16_t i = 0; i < kMaxBeatGroups; ++i) {
    if (groups[i] > 0)
      SetDialogItemNumber(groups[i], int16_t(kSigFirstGroupItem + i));
    else
      SetDialogItemString(kEmptyText, int16_t(kSigFirstGroupItem + i));
  }
}

void ReadGroups(int32_t* groups) {
  for (int16_t i = 0; i < kMaxBeatGroups; ++i) {
    int32_t g = GetDialogItemNumber(int16_t(kSigFirstGroupItem + i));
    groups[i] = g > 0 ? g : 0;
  }
}

void FillSignatureFields(const SignatureDialogFields& f) {
  SetDialogItemNumber(f.fromBar, kSigFromBarItem);
  SetDialogItemNumber(f.toBar, kSigToBarItem);
  SetDialogCheckbox(kSigMeterCheckItem, f.changeMeter);
  SetDialogItemNumber(f.numerator, kSigNumeratorItem);
  SetDialogItemNumber(f.denominator, kSigDenominatorItem);
  SetDialogCheckbox(kSigKeyCheckItem, f.changeKey);
  ShowKeyPitch(f.keyPitch);
  SetDialogItemString(GetKeyModeText(), kSigModeButtonItem);
  SetDialogCheckbox(kSigGroupCheckItem, f.groupedBeats);
  ShowGroups(f.groups);
}

void StepNumerator(bool up) {
  int32_t v = GetDialogItemNumber(kSigNumeratorItem) + (up ? 1 : -1);
  SetDialogItemNumber(v < 1 ? 1 : v > 64 ? 64 : v, kSigNumeratorItem);
}

void StepDenominator(bool up) {
  int32_t shift = Log2Floor(GetDialogItemNumber(kSigDenominatorItem)) + (up ? 1 : -1);
  shift = shift < 0 ? 0 : shift > kMaxDenominatorShift ? kMaxDenominatorShift : shift;
  SetDialogItemNumber(1 << shift, kSigDenominatorItem);
}

void StepKey(bool up) {
  int32_t pitch = GetDialogItemNote(kSigKeyItem);
  if (pitch == kNoNote) pitch = 0;
  gTypedAccidental = 0;
  ShowKeyPitch(((pitch + (up ? 1 : -1)) % 12 + 12) % 12);
}

void StepSignatureField(int16_t field) {
  if (field == kSigKeyItem)
    RunRepeatStepsOnField(kSigKeyItem, StepKey);
  else if (field == kSigDenominatorItem)
    RunRepeatStepsOnField(kSigDenominatorItem, StepDenominator);
  else
    RunRepeatStepsOnField(kSigNumeratorItem, StepNumerator);
}

void HandleSignatureHit(int16_t item) {
  if (item < 0) {  // wheel steps over the focused field
    StepSignatureField(int16_t(-item));
    return;
  }
  switch (item) {
    case kSigNumeratorItem:
    case kSigDenominatorItem: gSignatureStepField = item; break;
    case kSigMeterArrowItem: StepSignatureField(gSignatureStepField); return;
    case kSigKeyArrowItem: StepSignatureField(kSigKeyItem); return;
    case kSigModeButtonItem:
      gKeySpellingFlags ^= kKeySpellingMinor;
      SetDialogItemString(GetKeyModeText(), kSigModeButtonItem);
      return;
    case kSigMeterCheckItem:
    case kSigKeyCheckItem:
    case kSigGroupCheckItem: ToggleDialogControl(item); return;
    default: break;
  }
  gDialogFocusItem = uint32_t(item);  // an edit field was typed into
  if (item >= kSigFirstGroupItem && item <= kSigLastGroupItem &&
      GetDialogControlValue(kSigGroupCheckItem)) {
    SignatureDialogFields& f = gSignatureFields;
    f.groupedBeats = true;
    f.numerator = GetDialogItemNumber(kSigNumeratorItem);
    ReadGroups(f.groups);
    BalanceBeatGroups(&f);
    // Only a changed group is rewritten, so that the field being typed keeps its text.
    for (int16_t i = 0; i < kMaxBeatGroups; ++i)
      if (f.groups[i] != GetDialogItemNumber(int16_t(kSigFirstGroupItem + i)))
        SetDialogItemNumber(f.groups[i], int16_t(kSigFirstGroupItem + i));
  }
}

bool ReadSignatureFields() {
  SignatureDialogFields& f = gSignatureFields;
  f.fromBar = GetDialogItemNumber(kSigFromBarItem);
  f.toBar = GetDialogItemNumber(kSigToBarItem);
  f.changeMeter = GetDialogControlValue(kSigMeterCheckItem) != 0;
  f.numerator = GetDialogItemNumber(kSigNumeratorItem);
  f.denominator = GetDialogItemNumber(kSigDenominatorItem);
  f.changeKey = GetDialogControlValue(kSigKeyCheckItem) != 0;
  f.groupedBeats = GetDialogControlValue(kSigGroupCheckItem) != 0;
  ReadGroups(f.groups);
  gTypedAccidental = 0;
  int32_t key = GetDialogItemNote(kSigKeyItem);
  if (key == kNoNote && f.changeKey) {
    SysBeep(1);
    SelectDialogItemAllText(kSigKeyItem);
    return false;
  }
  f.keyPitch = key == kNoNote ? 0 : key;
  return true;
}

int32_t ApplySignatureEdit(void* fields) {
  ApplySignatureDialog(*static_cast<SignatureDialogFields*>(fields));
  return 0;
}

// --- Tempo ----------------------------------------------------------------------------------

void ShowTempoTime(uint32_t time) {
  int32_t parts[5];
  SplitSubframes(time, parts);
  for (int16_t i = 0; i < 5; ++i) SetDialogItemNumber(parts[i], int16_t(kTempoHoursItem + i));
}

uint32_t TempoTimeFor(bool duration) {
  return duration ? TickToTimeFrom(gConductorRange[0], gConductorRange[1]) : TickToTime(gConductorRange[1]);
}

void FillTempoFields(const TempoDialogFields& f) {
  SelectRadioInGroup(kTempoSetItem, kTempoFitItem, int16_t(kTempoSetItem + f.mode));
  SetTenthsItem(f.tempo, kTempoItem);
  SetTenthsItem(f.startTempo, kTempoStartItem);
  SetTenthsItem(f.endTempo, kTempoEndItem);
  SetRadioPair(kTempoEndPositionItem, kTempoDurationItem, !f.showsDuration);
  ShowTempoTime(f.time);
}

int16_t gTempoStepField = kTempoItem;

void StepTempoField(bool up) {
  int16_t field = gTempoStepField;
  if (field >= kTempoHoursItem && field <= kTempoSubframesItem) {
    int32_t v = GetDialogItemNumber(field) + (up ? 1 : -1);
    int32_t hi = TimePartMaximum(field - kTempoHoursItem);
    SetDialogItemNumber(v < 0 ? 0 : v > hi ? hi : v, field);
    return;
  }
  int32_t tempo = GetDialogItemTenths(field) + (up ? 10 : -10);
  SetTenthsItem(ClampTempo(tempo), field);
}

void SelectTempoMode(int16_t radio) { SelectRadioInGroup(kTempoSetItem, kTempoFitItem, radio); }

void HandleTempoHit(int16_t item) {
  if (item < 0 || item == kTempoArrowItem) {
    int16_t field = item < 0 ? int16_t(-item) : int16_t(GetDialogKeyboardFocusItem(gCurrentDialog) - gDialogIdBase);
    if (field < kTempoItem || field > kTempoSubframesItem || field == kTempoArrowItem) field = kTempoItem;
    gTempoStepField = field;
    RunRepeatStepsOnField(field, StepTempoField);
    return;
  }
  if (item >= kTempoSetItem && item <= kTempoFitItem) HandleRadioGroupHit(kTempoSetItem, kTempoFitItem);
  if (item == kTempoItem) SelectTempoMode(kTempoSetItem);
  if (item == kTempoStartItem || item == kTempoEndItem) SelectTempoMode(kTempoGradualItem);
  if (item >= kTempoHoursItem && item <= kTempoSubframesItem) SelectTempoMode(kTempoFitItem);
  if (item == kTempoEndPositionItem || item == kTempoDurationItem) {
    HandleRadioPairHit(kTempoEndPositionItem, kTempoDurationItem);
    ShowTempoTime(TempoTimeFor(GetDialogControlValue(kTempoDurationItem) != 0));
  }
}

TempoDialogFields gTempoFields;

bool ReadTempoFields() {
  TempoDialogFields& f = gTempoFields;
  f.mode = GetSelectedRadioIndex(kTempoSetItem, 3);
  f.tempo = GetDialogTempo(GetDialogItemTenths(kTempoItem));
  f.startTempo = GetDialogTempo(GetDialogItemTenths(kTempoStartItem));
  f.endTempo = GetDialogTempo(GetDialogItemTenths(kTempoEndItem));
  f.showsDuration = GetDialogControlValue(kTempoDurationItem) != 0;
  int32_t parts[5];
  for (int16_t i = 0; i < 5; ++i)
    parts[i] = ClampOrBeep(0, TimePartMaximum(i), GetDialogItemNumber(int16_t(kTempoHoursItem + i)));
  f.time = JoinSubframes(parts);
  return true;
}

int32_t ApplyTempoEdit(void* fields) {
  ApplyTempoDialog(*static_cast<TempoDialogFields*>(fields));
  return 0;
}

}  // namespace

void SplitSubframes(uint32_t time, int32_t parts[5]) {
  uint32_t perSecond = uint32_t(FramesPerSecond() * kSubframesPerFrame);
  uint32_t seconds = time / perSecond, rest = time % perSecond;
  parts[0] = int32_t(seconds / 3600);
  parts[1] = int32_t(seconds / 60 % 60);
  parts[2] = int32_t(seconds % 60);
  parts[3] = int32_t(rest / kSubframesPerFrame);
  parts[4] = int32_t(rest % kSubframesPerFrame);
}

uint32_t JoinSubframes(const int32_t parts[5]) {
  uint64_t seconds = uint64_t(parts[0]) * 3600 + uint64_t(parts[1]) * 60 + uint64_t(parts[2]);
  uint64_t t = (seconds * FramesPerSecond() + uint64_t(parts[3])) * kSubframesPerFrame + uint64_t(parts[4]);
  return t > UINT32_MAX ? UINT32_MAX : uint32_t(t);
}

bool RunTimeSignatureDialog() {
  if (!OpenDialogById(kTimeSignatureDialogId)) return false;
  gSignatureFields = GetSignatureDialogDefaults();
  FillSignatureFields(gSignatureFields);
  InstallDialogUserItem(kSigMeterArrowItem);
  InstallDialogUserItem(kSigKeyArrowItem);
  gSignatureStepField = kSigNumeratorItem;
  ShowCurrentDialog();
  SelectDialogItemAllText(kSigKeyItem);
  gDialogFocusItem = uint32_t(kSigKeyItem);
  bool ok = RunDialogLoop(HandleSignatureHit, ReadSignatureFields);
  CloseCurrentDialog();
  if (ok) RunUndoableEdit(ApplySignatureEdit, &gSignatureFields);
  return ok;
}

bool RunTempoDialog() {
  if (!OpenDialogById(kTempoDialogId)) return false;
  gTempoFields = GetTempoDialogDefaults();
  FillTempoFields(gTempoFields);
  InstallDialogUserItem(kTempoArrowItem);
  ShowCurrentDialog();
  SelectDialogItemAllText(kTempoItem);
  gDialogFocusItem = uint32_t(kTempoItem);
  bool ok = RunDialogLoop(HandleTempoHit, ReadTempoFields);
  CloseCurrentDialog();
  if (ok) RunUndoableEdit(ApplyTempoEdit, &gTempoFields);
  return ok;
}
