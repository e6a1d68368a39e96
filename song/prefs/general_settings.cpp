#include "song/prefs/general_settings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/files/file_types.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/resource_files.h"

namespace {

constexpr int32_t kMinResolution = 24;
constexpr int32_t kMaxResolution = 3840;
constexpr int16_t kMaxTextSize = 127;
constexpr int32_t kMaxSavedBeats = 64;
const unsigned char kSettingsName[] = "\005Setup";

// A field is read only when the record holds all of it.
bool Holds(int32_t length, int32_t offset, int32_t width) { return length >= offset + width; }

bool NameFits(const uint8_t* name) { return name[0] <= kMaxSavedFontName; }

float SampleRateOf(const uint8_t* bytes, int32_t length) {
  if (Holds(length, kGenFloatRate, 4)) {
    float rate = ReadF32BE(bytes + kGenFloatRate);
    if (rate > 0.0f && std::isfinite(rate)) return rate;
  }
  float rate = float(ReadU32BE(bytes + kGenFixedRate)) / 65536.0f;
  return rate > 0.0f ? rate : kDefaultSampleRate;
}

bool MeterFits(uint16_t ticksPerBeat, uint8_t beats) {
  return ticksPerBeat == 0 || (beats >= 1 && beats <= kMaxSavedBeats);
}

// A Pascal name, cut to the 63 characters its field holds.
void StoreName(const unsigned char* name, uint8_t* field) {
  uint8_t n = std::min<uint8_t>(name[0], kMaxSavedFontName);
  field[0] = n;
  std::memcpy(field + 1, name + 1, n);
}

}  // namespace

OSErr ParseGeneralSettings(const uint8_t* bytes, int32_t length, GeneralSettings* out) {
  if (!bytes || length < kGenBaseSize || length > kGeneralSettingsSize) return kGeneralSettingsDamaged;
  GeneralSettings s;
  int16_t textSize = ReadI16BE(bytes + kGenTextSize);
  if (textSize < 0 || textSize > kMaxTextSize) return kGeneralSettingsDamaged;
  if (!NameFits(bytes + kGenFontName) || !NameFits(bytes + kGenDeviceName)) return kGeneralSettingsDamaged;
  s.outputPair = bytes[kGenOutputPair];
  std::memcpy(s.deviceType, bytes + kGenDeviceType, 4);
  s.textSize = textSize;
  std::memcpy(s.fontName, bytes + kGenFontName, size_t(bytes[kGenFontName]) + 1);
  std::memcpy(s.deviceName, bytes + kGenDeviceName, size_t(bytes[kGenDeviceName]) + 1);
  s.sampleRate = SampleRateOf(bytes, length);
  s.editingOptions = bytes[kGenEditingOptions];
  if (Holds(length, kGenResolution, 2)) {
    s.resolution = ReadU16BE(bytes + kGenResolution);
    if (s.resolution != 0 && (s.resolution < kMinResolution || s.resolution > kMaxResolution))
      return kGeneralSettingsDamaged;
  }
  if (Holds(length, kGenBeatsPerBar, 1)) {
    s.ticksPerBeat = ReadU16BE(bytes + kGenTicksPerBeat);
    s.beatsPerBar = bytes[kGenBeatsPerBar];
    if (!MeterFits(s.ticksPerBeat, s.beatsPerBar)) return kGeneralSettingsDamaged;
  }
  *out = s;
  return noErr;
}

void FillGeneralSettings(const GeneralSettings& s, uint8_t* bytes) {
  bytes[kGenOutputPair] = s.outputPair;
  std::memcpy(bytes + kGenDeviceType, s.deviceType, 4);
  WriteI16BE(bytes + kGenTextSize, s.textSize);
  StoreName(s.fontName, bytes + kGenFontName);
  StoreName(s.deviceName, bytes + kGenDeviceName);
  double fixed = std::clamp(double(s.sampleRate) * 65536.0, 0.0, 4294967295.0);
  WriteU32BE(bytes + kGenFixedRate, uint32_t(fixed));
  WriteF32BE(bytes + kGenFloatRate, s.sampleRate);
  WriteU16BE(bytes + kGenResolution, uint16_t(s.resolution));
  WriteU16BE(bytes + kGenTicksPerBeat, s.ticksPerBeat);
  bytes[kGenBeatsPerBar] = s.beatsPerBar;
  bytes[kGenEditingOptions] = s.editingOptions;
}

OSErr ReadGeneralSettings(GeneralSettings* out, bool* found) {
  *found = false;
  if (UsePrefsResFile() != noErr || gPrefsResFile == -1) {
    UseAppResFile();
    return noErr;
  }
  Handle h = Get1Resource(kSettingsResType, kGeneralSettingsId);
  OSErr err = noErr;
  if (h) {
    *found = true;
    HLock(h);
    err = ParseGeneralSettings(reinterpret_cast<const uint8_t*>(*h), int32_t(GetHandleSize(h)), out);
    HUnlock(h);
    ReleaseResource(h);
  }
  UseAppResFile();
  return err;
}

OSErr WriteGeneralSettings(const GeneralSettings& s) {
  if (UsePrefsResFile() != noErr || gPrefsResFile == -1) {
    UseAppResFile();
    return ResError() != noErr ? ResError() : OSErr(fnfErr);
  }
  Handle h = NewHandleClear(kGeneralSettingsSize);
  if (!h) {
    UseAppResFile();
    return memFullErr;
  }
  // The bytes of the stored record that nobody here names are kept.
  if (Handle stored = Get1Resource(kSettingsResType, kGeneralSettingsId)) {
    Size n = std::min<Size>(GetHandleSize(stored), kGeneralSettingsSize);
    std::memcpy(*h, *stored, size_t(n));
  }
  FillGeneralSettings(s, reinterpret_cast<uint8_t*>(*h));
  OSErr err = WriteBMIDResource(&h, kGeneralSettingsId, kSettingsName, true);
  DisposeHandle(h);
  return err;
}
