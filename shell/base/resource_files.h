// The two resource files the program keeps open (its own and the preferences file), the
// bracket around preference resource access, and run-time lookups in framework bundles.
#pragma once

#include "platform/memory/mac_types.h"
#include "platform/text/core_foundation.h"

extern int16_t gAppResFile;
extern int16_t gPrefsResFile;  // -1 while not open

constexpr OSType kAppCreator = FourCC("V|ov");
constexpr OSType kPrefsFileType = FourCC("MPRF");

void UseAppResFile();
OSErr OpenPrefsResFile(int8_t permission);
OSErr UsePrefsResFile();
void CheckPrefsResFileOpen();
OSErr LoadFrameworkBundle(CFStringRef name, CFBundleRef* bundle);
void WarpMouseTo(int32_t x, int32_t y);

// Forgets the cached warp routine (tests).
void ResetWarpMouseLookup();
