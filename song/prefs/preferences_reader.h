// Reading the preferences data fork: the version, the two option bytes and the settings
// record, then (from version 929 on) the window layout with its pane table, the 96-byte
// drawing block, the instrument table with each record's plug-in data and the instrument
// assignments.
//
// Everything is read and checked into a PreferencesData first; only a file that was read
// to its end without a fault is taken (TakePreferencesData). A truncated or malformed file
// changes nothing: every length and count is checked against its limit and against the
// bytes left in the file before anything is allocated, and handle words read from the file
// are used only as presence flags, never left in a record.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/prefs/startup_settings.h"

// The file holds nothing this program reads (it is empty, or of version 584 or below): the
// built-in defaults stay, and this is not reported.
constexpr OSErr kPrefsUnusedErr = -2084;
// The file is damaged or was written by a newer version: refused and reported.
constexpr OSErr kPrefsDamagedErr = -2085;

// The size of the drawing block (the window colours and related values).
constexpr int32_t kDrawingBlockSize = 96;

struct PreferencesData {
  uint16_t version = 0;
  PrefsSettings settings;
  bool hasSections = false;     // the blocks after the record were read
  Handle layout;                // the window layout block (608 bytes)
  Handle paneTable;             // the editor pane table, or null
  uint8_t drawing[kDrawingBlockSize] = {};
  Handle instruments;           // the instrument table, its records' handles made here
  Handle assignments;           // the instrument assignments, likewise
};

// Reads the whole data fork through the document input (BeginDocumentInput on the fork,
// positioned at its start).
OSErr ReadPreferencesStream(PreferencesData* data);
// The settings record's fields of a file of this version, into s (fields the version does
// not hold keep their values).
OSErr ReadSettingsRecord(PrefsSettings* s, uint16_t version);
// Makes what was read the program's: the settings (and the live settings they carry), the
// drawing block, the pane table, the instrument table and the assignments. data keeps only
// its layout block (the caller places the windows from it) and whatever was not taken.
void TakePreferencesData(PreferencesData* data);
void DisposePreferencesData(PreferencesData* data);

// Shows that the preferences file could not be used and the defaults are in effect.
void ReportDamagedPreferences(OSErr err);
