// Where the preferences file lives: "<application name> 7 Preferences" in the user's
// Preferences folder, type 'MPRF', creator 'V|ov'.
#pragma once

#include "platform/files/files.h"

// The preferences file's spec, built once and kept for the run (the file may not exist).
OSErr GetPrefsFileSpec(FSSpec* spec);
// Opens the preferences data fork for reading and writing, creating the file when needed.
OSErr OpenPrefsDataFork(int16_t* refNum);
// Forgets the kept spec, so that the next call looks the folder up again (tests).
void ForgetPrefsFileSpec();
