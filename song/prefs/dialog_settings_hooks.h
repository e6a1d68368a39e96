// What the settings record asks of the settings dialogs (Preferences, chase options) and of
// the program's own saved settings (the Help menu's choices, the MIDI input flags, the
// highlight colour, display option 12): their values go into the record before it is written
// and come out of it after it was read.
// Installed by the settings dialogs at start-up (InstallDialogSettingsHooks); an entry not
// installed does nothing, so the record keeps the fields as they are and the dialogs keep
// their values.
#pragma once

#include "song/prefs/startup_settings.h"

struct DialogSettingsHooks {
  void (*capture)(PrefsSettings* s);      // main thread
  void (*apply)(const PrefsSettings* s);  // main thread
};
extern DialogSettingsHooks gDialogSettingsHooks;

// The dialogs' values into the record; nothing when not installed.
void CaptureDialogSettings(PrefsSettings* s);
// The record's values into the dialogs, held inside their ranges; nothing when not installed.
void ApplyDialogSettings(const PrefsSettings* s);
