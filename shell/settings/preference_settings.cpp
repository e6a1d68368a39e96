#include "shell/settings/preference_settings.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_chase.h"
#include "shell/settings/chase_dialog.h"
#include "shell/settings/preferences_dialog.h"

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

}  // namespace

void InstallDialogSettingsHooks() {
  gDialogSettingsHooks.capture = StoreDialogValues;
  gDialogSettingsHooks.apply = LoadDialogValues;
}
