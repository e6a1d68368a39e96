// The general settings record ('BMID' 128 of the preferences file) between the program's
// settings: the fonts and the audio, resolution and meter settings are taken from it at
// start-up and written back at quit.
#pragma once

#include "song/prefs/startup_settings.h"

// Start-up: the windows' text size and font (a font unknown here becomes the application
// font). A missing or damaged record changes nothing.
void ReadFontSettings();
// Start-up: the sample rate, the output pair and the device name, then the saved resolution
// and meter. A damaged record is reported on the console and changes nothing; the follow-up steps (the
// resolution in force, applied again) run in every case.
void ApplyGeneralSettings();
// With the start-up settings read: the transform dialogs' controller number N takes the
// saved lane controller (a number above 127 is left alone). The N-only flag comes back with
// the general settings record above.
void RestoreTransformController(const PrefsSettings* s);
// Quit: the record is written with the settings in force (only when the event handlers are
// installed, word 0 bit 0x10); an error is reported.
void SaveGeneralSettings();
