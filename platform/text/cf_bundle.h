// CFBundle: the application folder and loadable code.
//
// The main bundle is the folder of the running program; its resources lie in the same
// folder. Another bundle is a shared library file, or a folder "Name.ext" holding the
// library "Name.so" (or "libName.so"). Loading opens the library; releasing a bundle keeps
// the library loaded (function pointers stay valid), CFBundleUnloadExecutable closes it.
#pragma once

#include "platform/text/cf_url.h"

struct CFBundleObject;
using CFBundleRef = CFBundleObject*;

CFTypeID CFBundleGetTypeID();
// Not owned by the caller.
CFBundleRef CFBundleGetMainBundle();
// Null when the URL names nothing that exists.
CFBundleRef CFBundleCreate(CFAllocatorRef alloc, CFURLRef bundleURL);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);

// False (and the loader's message on standard error) when the library cannot be opened.
Boolean CFBundleLoadExecutable(CFBundleRef bundle);
Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle);
void CFBundleUnloadExecutable(CFBundleRef bundle);
// Loads the library when needed; null when it or the symbol is missing.
void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName);
void* CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName);

// Info keys of the main bundle: "CFBundleShortVersionString" and "CFBundleVersion" ("1.0"),
// "CFBundleName" ("Zarin"). Not owned by the caller; null for other keys and bundles.
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
