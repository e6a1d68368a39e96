#include "shell/app/general_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/devices/audio_driver.h"
#include "editing/transforms/value_settings.h"
#include "audio/devices/coreaudio_io.h"
#include "platform/quickdraw/text.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/drawing/text_drawing.h"
#include "song/conductor/conductor_document_header.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/prefs/general_settings.h"

namespace {

constexpr uint32_t kMaxControllerNumber = 127;

// The record, or false when there is none or it is damaged (reported).
bool ReadRecord(GeneralSettings* s) {
  bool found = false;
  OSErr err = ReadGeneralSettings(s, &found);
  if (err != noErr) {
    std::fprintf(stderr, "Zarin: the general settings in the preferences are damaged (error %d) and are not used.\n",
                 int(err));
    std::fflush(stderr);
  }
  return found && err == noErr;
}

void ApplyAudioSettings(const GeneralSettings& s) {
  gAudioSampleRate = s.sampleRate;
  gPreferredSampleRate = s.sampleRate;
}

void ApplySavedMeter(const GeneralSettings& s) {
  if (s.ticksPerBeat == 0) return;
  gConductorState.beatsPerBar = s.beatsPerBar;
  gConductorState.ticksPerBeat = s.ticksPerBeat;
  gConductorState.ticksPerBar = int32_t(s.beatsPerBar) * s.ticksPerBeat;
  SetMeterAt(1);
}

}  // namespace

void ReadFontSettings() {
  GeneralSettings s;
  if (!ReadRecord(&s)) return;
  if (s.textSize > 0) gDefaultFontSize = s.textSize;
  if (s.fontName[0] != 0) SetDefaultFontByName(s.fontName);
}

void ApplyGeneralSettings() {
  GeneralSettings s;
  bool found = ReadRecord(&s);
  if (found) ApplyAudioSettings(s);
  ChangeResolutionTo(found && s.resolution ? s.resolution : gDocumentResolution);
  if (found) ApplySavedMeter(s);
  if (found) gTransformOptions = uint8_t((gTransformOptions & ~kOnlyControllerN) | (s.editingOptions & kOnlyControllerN));
}

void RestoreTransformController(const PrefsSettings* s) {
  uint32_t controller = GetSetting(s, kSetLaneController);
  if (controller <= kMaxControllerNumber) gTransformController = int32_t(controller);
}

void SaveGeneralSettings() {
  if (!(gAppState[0] & kAppWord0SuspendResume)) return;
  GeneralSettings s;
  bool found = false;
  if (ReadGeneralSettings(&s, &found) != noErr) s = GeneralSettings();
  s.textSize = gDefaultFontSize;
  Str255 font;
  GetFontName(gDefaultFontId, font);
  s.fontName[0] = std::min<uint8_t>(font[0], kMaxSavedFontName);
  std::memcpy(s.fontName + 1, font + 1, s.fontName[0]);
  s.sampleRate = gAudioSampleRate > 0.0f ? gAudioSampleRate : kDefaultSampleRate;
  s.resolution = gTicksPerQuarter;
  const ConductorState& meter = gConductorState;
  bool meterFits = meter.beatsPerBar >= 1 && meter.beatsPerBar <= kMaxBeatsPerBar && meter.ticksPerBeat > 0;
  s.beatsPerBar = meterFits ? uint8_t(meter.beatsPerBar) : 0;
  s.ticksPerBeat = meterFits ? uint16_t(meter.ticksPerBeat) : 0;
  s.editingOptions = uint8_t((s.editingOptions & ~kOnlyControllerN) | (gTransformOptions & kOnlyControllerN));
  if (OSErr err = WriteGeneralSettings(s); err != noErr) ReportError(err);
}
