// The settings that the Preferences and chase dialogs edit, kept in the preferences file's
// settings record: taken into the record before it is written, and out of it (held inside
// the ranges the dialogs allow) after it was read.
//
// The colour field (kSetDisplayColours) holds the two swatch colours as 16-bit RGB triples
// (bytes 0..11), the third colour as 8-bit components (12..14) and a marker byte (15) that is
// 1 once the colours were written; a field without the marker keeps the built-in colours.
#pragma once

#include "song/prefs/dialog_settings_hooks.h"
#include "song/prefs/startup_settings.h"

constexpr int32_t kColourMarkerOffset = 15;
constexpr int32_t kDefaultRefreshPeriod = 100000;
constexpr int32_t kMinRefreshPeriod = 10000;
constexpr int32_t kMaxRefreshPeriod = 500000;

// Fills gDialogSettingsHooks: CaptureDialogSettings and ApplyDialogSettings reach these
// dialogs' values.
void InstallDialogSettingsHooks();
