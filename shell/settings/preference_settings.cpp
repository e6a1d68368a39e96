#include "shell/settings/preference_settings.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/quickdraw/colors.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_chase.h"
#include "sequencer/midi/midi_input.h"
#include "shell/menus/option_toggles.h"
#include "shell/settings/chase_dialog.h"
#include "shell/settings/preferences_dialog.h"
#include "shell/windows/context_help.h"

namespace {

int32_t MemoryField(int16_t item) {
  switch (item) {
    case 4: return kSetEventBufferBytes;
    case 5: return kSetBufferA;
    case 6: return kSetCount;
    case 7: return kSetBufferB;
    case 17: return kSetEventsPerPass;
    default: return kSetUndoEventLimit;
  }
}

uint32_t ClampToField(const PrefsNumberField& f, uint32_t stored) {
  int64_t scale = f.kilobytes ? 1024 : 1;
  return uint32_t(std::clamp<int64_t>(stored, f.minimum * scale, f.maximum * scale));
}

void WriteColours(PrefsSettings* s, const PreferenceValues& v) {
  uint8_t* bytes = GetSettingBytes(s, kSetDisplayColours);
  for (int i = 0; i < 2; ++i) {
    WriteU16BE(bytes + 6 * i, v.colours[i].red);
    WriteU16BE(bytes + 6 * i + 2, v.colours[i].green);
    WriteU16BE(bytes + 6 * i + 4, v.colours[i].blue);
  }
  for (int i = 0; i < 3; ++i) bytes[12 + i] = v.thirdColour[i];
  bytes[kColourMarkerOffset] = 1;
}

void ReadColours(const PrefsSettings* s, PreferenceValues* v) {
  const uint8_t* bytes = GetSettingBytes(const_cast<PrefsSettings*>(s), kSetDisplayColours);
  if (bytes[kColourMarkerOffset] != 1) return;
  for (int i = 0; i < 2; ++i)
    v->colours[i] = RGBColor{ReadU16BE(bytes + 6 * i), ReadU16BE(bytes + 6 * i + 2), ReadU16BE(bytes + 6 * i + 4)};
  for (int i = 0; i < 3; ++i) v->thirdColour[i] = bytes[12 + i];
}

void StoreDialogValues(PrefsSettings* s) {
  PreferenceValues& v = gPreferenceValues;
  for (const PrefsNumberField& f : kMemoryPageFields)
    if (const uint32_t* value = MemoryPageValue(&v, f.item)) SetSetting(s, MemoryField(f.item), *value);
  SetSetting(s, kSetRefreshPeriod, v.refreshPeriod);
  SetSetting(s, kSetDrawPrefs, v.drawPrefs);
  SetSetting(s, kSetWindowOptions, v.windowOptions);
  SetSetting(s, kSetDisplayOption, v.displayOption);
  SetSetting(s, kSetTransportOption, v.transportOption);
  SetSetting(s, kSetStartupOptions, v.startupOptions);
  WriteColours(s, v);
  SetSetting(s, kSetMidiPrefsByte, gMidiPrefs & 0xFF & ~kMidiPrefManyDestinations);
  SetSetting(s, kSetChaseFilter, gChaseFilter);
  SetSetting(s, kSetChaseRange, gChaseSettings.rangeBars);
  SetSetting(s, kSetChasePause, gChaseSettings.pauseTicks);
  SetSetting(s, kSetChaseBurst, gChaseSettings.burstCount);
}

void LoadDialogValues(const PrefsSettings* s) {
  PreferenceValues& v = gPreferenceValues;
  for (const PrefsNumberField& f : kMemoryPageFields)
    if (uint32_t* value = MemoryPageValue(&v, f.item)) *value = ClampToField(f, GetSetting(s, MemoryField(f.item)));
  uint32_t period = GetSetting(s, kSetRefreshPeriod);
  v.refreshPeriod = period == 0 ? uint32_t(kDefaultRefreshPeriod)
                                : std::clamp<uint32_t>(period, kMinRefreshPeriod, kMaxRefreshPeriod);
  v.drawPrefs = uint16_t(GetSetting(s, kSetDrawPrefs));
  v.windowOptions = uint16_t(GetSetting(s, kSetWindowOptions));
  v.displayOption = uint8_t(GetSetting(s, kSetDisplayOption) & 0x1);
  v.transportOption = uint8_t(GetSetting(s, kSetTransportOption) & 0x1);
  v.startupOptions = uint8_t(GetSetting(s, kSetStartupOptions) & 0x3);
  ReadColours(s, &v);
  uint16_t midi = uint16_t(GetSetting(s, kSetMidiPrefsByte) & ~kMidiPrefManyDestinations);
  gMidiPrefs = uint16_t((gMidiPrefs & (0xFF00 | kMidiPrefManyDestinations)) | midi);
  uint16_t filter = uint16_t(GetSetting(s, kSetChaseFilter));
  gChaseFilter = filter == 0 ? kChaseFilterDefault : filter;
  gChaseSettings.rangeBars = uint16_t(GetSetting(s, kSetChaseRange));
  gChaseSettings.pauseTicks = uint8_t(GetSetting(s, kSetChasePause));
  gChaseSettings.burstCount = uint8_t(GetSetting(s, kSetChaseBurst));
}

// The flags word's bit that asks for display option 12, and the option toggle it applies.
constexpr uint32_t kFlagsWordOption12 = 0x200;
constexpr int16_t kDisplayOption12 = 12;

// A saved highlight colour: 8-bit red, green and blue in the low three bytes.
RGBColor HighlightColourOf(uint32_t stored) {
  auto channel = [stored](int shift) { return uint16_t(((stored >> shift) & 0xFF) * 0x101); };
  return RGBColor{channel(16), channel(8), channel(0)};
}

// The settings the program itself keeps: the help marks and the MIDI input flags. The flags'
// polling state is the running program's: the record keeps the bit it was read with.
constexpr uint32_t kRecordOnlyInputBits = 0xFFFF0000u | kInputPollSuspended;

void StoreProgramSettings(PrefsSettings* s) {
  SetSetting(s, kSetHelpMarks, gHelpPrefs);
  uint32_t kept = GetSetting(s, kSetMidiInputFlags) & kRecordOnlyInputBits;
  SetSetting(s, kSetMidiInputFlags, kept | (gMidiInputFlags & ~kRecordOnlyInputBits));
}

void LoadProgramSettings(const PrefsSettings* s) {
  gHelpPrefs = uint16_t(GetSetting(s, kSetHelpMarks));
  ShowHelpPrefMarks(gHelpPrefs);
  uint32_t input = GetSetting(s, kSetMidiInputFlags) & ~kRecordOnlyInputBits;
  gMidiInputFlags = uint16_t((gMidiInputFlags & kInputPollSuspended) | input);
  if (uint32_t colour = GetSetting(s, kSetHighlightColour)) {
    RGBColor rgb = HighlightColourOf(colour);
    LMSetHiliteRGB(&rgb);
  }
  if ((GetSetting(s, kSetFlagsWord) & kFlagsWordOption12) && !gOptionBytes[kDisplayOption12])
    HandleOptionToggleItem(kDisplayOption12);
}

void StoreAllSettings(PrefsSettings* s) {
  StoreDialogValues(s);
  StoreProgramSettings(s);
}

void LoadAllSettings(const PrefsSettings* s) {
  LoadDialogValues(s);
  LoadProgramSettings(s);
}

}  // namespace

void InstallDialogSettingsHooks() {
  gDialogSettingsHooks.capture = StoreAllSettings;
  gDialogSettingsHooks.apply = LoadAllSettings;
}
