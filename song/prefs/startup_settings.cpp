#include "song/prefs/startup_settings.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/file_access.h"
#include "shell/base/new_song_defaults.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "song/documents/document_input.h"
#include "song/prefs/dialog_settings_hooks.h"
#include "song/prefs/preferences_reader.h"
#include "song/prefs/preferences_writer.h"
#include "song/prefs/window_layout.h"
#include "song/undo/undo_ring.h"

uint8_t gFavouritesRecord[16] = {};
Handle gSettingsResource500;
Handle gSettingsResource152;
Handle gJukeboxSetupResource;

namespace {

struct FieldRun {
  uint8_t width;
  uint8_t count;
  uint16_t presentFrom;
  uint16_t usedFrom;
};

// The record in file order: runs of equal width, each with the version that added it and
// the version from which its values are taken.
constexpr FieldRun kFieldRuns[] = {
    {4, 8, 0, 0},   {1, 2, 0, 0},   {4, 4, 0, 0},   {1, 1, 0, 0},   {2, 2, 0, 0},
    {4, 2, 0, 0},   {2, 2, 0, 0},   {4, 2, 0, 0},   {1, 4, 0, 0},   {4, 1, 0, 0},
    {2, 2, 0, 0},   {4, 1, 0, 0},   {2, 3, 0, 0},   {1, 2, 0, 0},   {4, 1, 0, 0},
    {2, 1, 0, 0},   {1, 3, 0, 0},   {4, 2, 0, 0},   {1, 1, 0, 0},   {4, 2, 0, 0},
    {2, 1, 0, 0},   {4, 1, 0, 0},   {1, 6, 0, 0},   {2, 1, 0, 0},   {1, 4, 0, 0},
    {2, 5, 0, 0},   {16, 1, 0, 0},  {4, 1, 0, 0},   {2, 1, 0, 0},   {4, 1, 0, 0},
    {1, 1, 0, 0},   {4, 1, 0, 0},   {1, 1, 0, 0},   {4, 1, 0, 0},
    // Twelve bytes that older files hold but whose values count only from 903 on.
    {4, 1, 0, 903}, {2, 1, 0, 903}, {4, 1, 0, 903}, {1, 2, 0, 903},
    {4, 1, 0, 0},                                  // song-file header field at 152
    {24, 1, 905, 905}, {1, 1, 905, 905},
    // Three u32 and two u8 in all, as the writer writes them: the second u32 (a copy of
    // which is kept aside) comes with the third in 915.
    {4, 1, 912, 912},
    {4, 2, 915, 915}, {1, 2, 915, 915},
    {4, 2, 917, 917},
    {4, 3, 918, 918}, {40, 1, 918, 918}, {1, 1, 918, 918},
    {4, 3, 919, 919},                              // the middle one: the MIDI input flags
    {2, 1, 920, 920}, {4, 1, 920, 920},
    {1, 1, 925, 925},
    {4, 1, 926, 926},                              // undo levels
    {2, 1, 927, 927},
    {1, 1, 928, 928},
    {4, 1, 930, 930}, {4, 1, 931, 931},
};

std::array<SettingsField, kSettingsFieldCount> BuildFieldTable() {
  std::array<SettingsField, kSettingsFieldCount> table{};
  int32_t index = 0;
  uint16_t offset = 0;
  for (const FieldRun& run : kFieldRuns) {
    for (int32_t k = 0; k < run.count; ++k) {
      table[size_t(index++)] = {offset, run.width, run.presentFrom, run.usedFrom};
      offset = uint16_t(offset + run.width);
    }
  }
  return table;
}

const std::array<SettingsField, kSettingsFieldCount> kFields = BuildFieldTable();

PrefsSettings MakeDefaultSettings() {
  PrefsSettings s;
  SetDefaultSettings(&s);
  return s;
}

constexpr int32_t CountFields() {
  int32_t n = 0;
  for (const FieldRun& run : kFieldRuns) n += run.count;
  return n;
}
constexpr int32_t CountBytes() {
  int32_t n = 0;
  for (const FieldRun& run : kFieldRuns) n += run.width * run.count;
  return n;
}
static_assert(CountFields() == kSettingsFieldCount, "the record has 103 fields");
static_assert(CountBytes() == kSettingsRecordSize, "the record has 339 bytes");

void ApplyCountRules(PrefsSettings* s) {
  if (GetSetting(s, kSetLimitedValue) > 47) SetSetting(s, kSetLimitedValue, 1);
  if (GetSetting(s, kSetCount) == 0) SetSetting(s, kSetCount, 6);
  if (GetSetting(s, kSetSizeWord) == 0) {
    SetSetting(s, kSetSizeWord, 4);
    SetSetting(s, kSetSizeLong, 0x2000);
  }
  if (GetSetting(s, kSetPairByte) == 0) {
    SetSetting(s, kSetPairByte, 1);
    SetSetting(s, kSetPairLong, 1);
  }
  if (GetSetting(s, kSetBufferA) == 0) SetSetting(s, kSetBufferA, 0xF000);
  if (GetSetting(s, kSetBufferB) == 0) SetSetting(s, kSetBufferB, 0x20000);
  uint32_t levels = GetSetting(s, kSetUndoLevels);
  if (levels == 0) SetSetting(s, kSetUndoLevels, uint32_t(kDefaultUndoLevels));
  if (levels > kMaxUndoLevels) SetSetting(s, kSetUndoLevels, kMaxUndoLevels);
}

void ApplyDisplayRules(PrefsSettings* s, uint16_t version) {
  uint32_t flags = GetSetting(s, kSetDisplayFlags);
  if (!(flags & 0x10)) SetSetting(s, kSetDisplayFlags, flags | 0x1C);
  if (version < 789) SetSetting(s, kSetDisplayFlags2, GetSetting(s, kSetDisplayFlags2) | 0x400);
  if (version < 913) SetSetting(s, kSetDisplaySetting, 138);
  if (GetSetting(s, kSetDisplaySetting) == 0) {
    uint32_t prefBit12 = (GetSetting(s, kSetPrefWordHigh) >> 4) & 1;
    SetSetting(s, kSetDisplaySetting, 128 + prefBit12);
  }
}

// The fields of what new songs and tracks take.
template <typename T>
struct DefaultsField {
  int32_t index;
  T NewSongDefaults::*value;
};
constexpr DefaultsField<uint8_t> kDefaultsBytes[] = {
    {kSetNewTrackKind, &NewSongDefaults::trackType},
    {kSetNewTrackPort, &NewSongDefaults::trackMidiOutput},
    {kSetNewTrackChannel, &NewSongDefaults::trackByte136},
    {kSetNewTrackByte137, &NewSongDefaults::trackByte137},
    {kSetNewSongByte49, &NewSongDefaults::headerByte49},
    {kSetNewSongByte219, &NewSongDefaults::headerByte219},
    {kSetNewTrackModeBits, &NewSongDefaults::trackModeBits},
};
constexpr DefaultsField<uint16_t> kDefaultsWords[] = {
    {kSetNewSongDisplay184, &NewSongDefaults::display184},
    {kSetNewSongDisplay186, &NewSongDefaults::display186},
};

void CaptureNewSongDefaults(PrefsSettings* s) {
  for (const auto& f : kDefaultsBytes) SetSetting(s, f.index, gNewSongDefaults.*f.value);
  for (const auto& f : kDefaultsWords) SetSetting(s, f.index, gNewSongDefaults.*f.value);
}

void ApplyNewSongDefaults(const PrefsSettings* s) {
  for (const auto& f : kDefaultsBytes) gNewSongDefaults.*f.value = uint8_t(GetSetting(s, f.index));
  for (const auto& f : kDefaultsWords) gNewSongDefaults.*f.value = uint16_t(GetSetting(s, f.index));
}

}  // namespace

// The built-in defaults until a preferences file is read.
PrefsSettings gPrefsSettings = MakeDefaultSettings();
uint8_t gRealtimeProcessorSettings = 0;

const SettingsField& GetSettingsField(int32_t index) {
  return kFields[size_t(std::clamp<int32_t>(index, 0, kSettingsFieldCount - 1))];
}

uint32_t GetSetting(const PrefsSettings* s, int32_t index) {
  const SettingsField& f = GetSettingsField(index);
  const uint8_t* p = s->record + f.offset;
  switch (f.width) {
    case 1: return p[0];
    case 2: return ReadU16BE(p);
    case 4: return ReadU32BE(p);
    default: return 0;
  }
}

void SetSetting(PrefsSettings* s, int32_t index, uint32_t value) {
  const SettingsField& f = GetSettingsField(index);
  uint8_t* p = s->record + f.offset;
  switch (f.width) {
    case 1: p[0] = uint8_t(value); break;
    case 2: WriteU16BE(p, uint16_t(value)); break;
    case 4: WriteU32BE(p, value); break;
    default: break;
  }
}

uint8_t* GetSettingBytes(PrefsSettings* s, int32_t index) {
  return s->record + GetSettingsField(index).offset;
}

uint8_t GetTwoSettingsLow(const PrefsSettings* s) { return uint8_t(GetSetting(s, kSetTwoSettings)); }
uint8_t GetTwoSettingsFlag(const PrefsSettings* s) {
  return uint8_t((GetSetting(s, kSetTwoSettings) >> 8) ^ 1);
}
uint8_t GetFlagsWordLowSetting(const PrefsSettings* s) { return uint8_t(GetSetting(s, kSetFlagsWord)); }

void SetDefaultSettings(PrefsSettings* s) {
  *s = PrefsSettings();
  SetSetting(s, kSetAudioSettingsByte, 1);
  ApplySettingsRules(s, kPrefsVersion);
}

void ApplySettingsRules(PrefsSettings* s, uint16_t version) {
  ApplyCountRules(s);
  ApplyDisplayRules(s, version);
  if (version < 916) SetSetting(s, kSetToggle, GetSetting(s, kSetToggle) ? 0 : 1);
  SetSetting(s, kSetAlwaysZero, 0);
  if (version < 919) {
    uint32_t flags = GetSetting(s, kSetMidiInputFlags);
    SetSetting(s, kSetMidiInputFlags, (flags & 0xFFFF0000u) | GetSetting(s, kSetDisplayFlags2));
  }
  if (version < 928) SetSetting(s, kSetAudioSettingsByte, 1);
}

void CaptureLiveSettings(PrefsSettings* s) {
  SetSetting(s, kSetUndoLevels, uint32_t(std::max<int32_t>(gUndoLevels, 1)));
  SetSetting(s, kSetRealtimeByte, gRealtimeProcessorSettings);
  CaptureNewSongDefaults(s);
  CaptureDialogSettings(s);
}

void ApplyLiveSettings(const PrefsSettings* s) {
  int32_t levels = int32_t(std::clamp<uint32_t>(GetSetting(s, kSetUndoLevels), 1, kMaxUndoLevels));
  if (gUndoRing)
    AllocateUndoRing(levels);
  else
    gUndoLevels = levels;
  gRealtimeProcessorSettings = uint8_t(GetSetting(s, kSetRealtimeByte));
  ApplyNewSongDefaults(s);
  ApplyDialogSettings(s);
}

Handle GetDetachedBMIDResource(int16_t id) {
  Handle h = GetResource(kSettingsResType, id);
  if (!h) return Handle();
  HNoPurge(h);
  DetachResource(h);
  return h;
}

uint16_t ReadU16(uint8_t* address) {
  uint8_t bytes[2] = {0, 0};
  if (ReadBlock(bytes, 2) != noErr) return 0;
  if (address) std::memcpy(address, bytes, 2);
  return ReadU16BE(bytes);
}

namespace {

void ReplaceKeptHandle(Handle* cell, Handle h) {
  if (*cell) DisposeHandle(*cell);
  *cell = h;
}

// The settings resources of the preferences resource file, and the saved window places.
void ReadSettingsResources() {
  if (UsePrefsResFile() != noErr || gPrefsResFile == -1) return;
  if (Handle favourites = GetDetachedBMIDResource(200)) {
    Size n = std::min<Size>(GetHandleSize(favourites), Size(sizeof gFavouritesRecord));
    std::memcpy(gFavouritesRecord, *favourites, size_t(n));
    DisposeHandle(favourites);
  }
  ReplaceKeptHandle(&gSettingsResource500, GetDetachedBMIDResource(500));
  ReplaceKeptHandle(&gSettingsResource152, GetDetachedBMIDResource(152));
  ReplaceKeptHandle(&gJukeboxSetupResource, GetDetachedBMIDResource(160));
  RestoreWindowLayout(0, 0);
  UseAppResFile();
}

// Reads and takes the data fork; returns 1 when its contents were taken.
int32_t ReadPrefsDataFork(Handle* layout, OSErr* status) {
  FSSpec fileSpec;
  int16_t refNum = 0;
  OSErr err = GetPrefsFileSpec(&fileSpec);
  if (err == noErr) err = OpenDataFork(&fileSpec, fsRdPerm, &refNum);
  if (err != noErr) {
    *status = err;
    return 0;
  }
  PreferencesData data;
  err = BeginDocumentInput(refNum);
  if (err == noErr) err = ReadPreferencesStream(&data);
  OSErr closeErr = CloseFork(refNum);
  gStreamRefNum = 0;
  *status = err != noErr ? err : closeErr;
  if (err != noErr) {
    if (err != kPrefsUnusedErr) ReportDamagedPreferences(err);
    DisposePreferencesData(&data);
    return 0;
  }
  TakePreferencesData(&data);
  if (layout && data.layout) {
    if (*layout) DisposeHandle(*layout);
    *layout = data.layout;
    data.layout = Handle();
  }
  DisposePreferencesData(&data);
  return 1;
}

}  // namespace

int32_t ReadPreferencesData(Handle* layout, OSErr* status) {
  OSErr fileStatus = noErr;
  int32_t taken = ReadPrefsDataFork(layout, &fileStatus);
  if (taken) ApplyClockMode(uint8_t(GetSetting(&gPrefsSettings, kSetClockMode)));
  if (status) *status = fileStatus;
  ReadSettingsResources();
  return taken;
}
