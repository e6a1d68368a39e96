// Where the preferences file lives, how an older one is taken over, and how its data fork is
// replaced without ever putting the file at risk.
//
// The file is "<application name> 7 Preferences" (cut to 31 characters) in the user's
// Preferences folder, type 'MPRF', creator 'V|ov'. Its data fork holds the settings record
// and the sections after it; its resource fork holds the user's drum sets, chord types,
// presets and the settings resources, so it is never deleted: its data fork is replaced
// through shell/base/file_replacement.h.
#pragma once

#include "platform/files/files.h"
#include "shell/base/file_replacement.h"

// The preferences file's fileSpec, built once and kept for the run (the file may not exist).
OSErr GetPrefsFileSpec(FSSpec* fileSpec);
// The older file, "<application name> Preferences", which is only looked for to take it over.
OSErr GetOldPrefsFileSpec(FSSpec* fileSpec);
// Opens the preferences data fork for reading and writing, creating the file when needed.
OSErr OpenPrefsDataFork(int16_t* refNum);
// Forgets the kept fileSpec, so that the next call looks the folder up again (tests).
void ForgetPrefsFileSpec();

// A preferences file whose resource fork or side file is damaged: renamed beside with
// ".damaged" added (an older such file goes), so that a new one is made and the defaults are
// used; the user is told, by the file's name. Answers the rename's result (a file that could
// not be renamed is reported by the caller that cannot open it).
OSErr SetDamagedPrefsFileAside();
// Any damaged file set aside the same way; the note shows message messageCode.
OSErr SetDamagedFileAside(const FSSpec* fileSpec, int32_t messageCode);

// At start-up, before the preferences are read: when there is no preferences file but the
// older one exists, a new file is made with a copy of both of the old file's forks. The old
// file is left as it was; a copy that fails is removed again, so the next start tries anew.
OSErr MigratePreferencesFile();

// Closes a resource file and makes the application's own resource file current again.
void CloseResFileUseApp(int16_t refNum);
