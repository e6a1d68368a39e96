#include "shell/base/resource_files.h"

#include <string>

#include "platform/files/files.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/preferences_file.h"

int16_t gAppResFile = -1;
int16_t gPrefsResFile = -1;

namespace {
using WarpProc = int32_t (*)(float x, float y);
using SuppressionProc = int32_t (*)(double seconds);
WarpProc gWarpProc = nullptr;
CFBundleRef gWarpBundle = nullptr;  // kept loaded while its routine is cached
bool gPrefsOpenFailureReported = false;  // a file that will not open is reported once a run

// A preferences file with no resource fork yet: make sure the file exists, then give it an
// empty resource map.
void SetUpPrefsResourceFork(const FSSpec* fileSpec) {
  int16_t savedStream = gStreamRefNum;
  int16_t refNum = 0;
  if (OpenPrefsDataFork(&refNum) == noErr) CloseFork(refNum);
  gStreamRefNum = savedStream;
  FSpCreateResFile(fileSpec, kAppCreator, kPrefsFileType, -1);
}

// After the resource fork failed to open with err: true when it is there but damaged (its
// side file unreadable, or a map that does not read), not merely missing or locked.
bool IsPrefsResourceForkDamaged(const FSSpec* fileSpec, OSErr err) {
  if (err == permErr || err == wrPermErr || err == fLckdErr || err == vLckdErr || err == wPrErr ||
      err == opWrErr || err == fnfErr || err == tmfoErr)
    return false;
  std::string bytes;
  OSErr readErr = ReadResourceForkBytes(fileSpec, &bytes);
  return readErr == ioErr || (readErr == noErr && !bytes.empty());
}
}  // namespace

void UseAppResFile() {
  if (gPrefsResFile == -1) return;
  UseResFile(gAppResFile);
}

OSErr OpenPrefsResFile(int8_t permission) {
  for (;;) {
    if (gPrefsResFile != -1) {
      UseResFile(gPrefsResFile);
      return ResError();
    }
    FSSpec fileSpec;
    GetPrefsFileSpec(&fileSpec);
    gPrefsResFile = FSpOpenResFile(&fileSpec, permission);
    if (gPrefsResFile == -1 && IsPrefsResourceForkDamaged(&fileSpec, ResError()))
      SetDamagedPrefsFileAside();
    if (gPrefsResFile == -1) {
      SetUpPrefsResourceFork(&fileSpec);
      gPrefsResFile = FSpOpenResFile(&fileSpec, permission);
    }
    if (gPrefsResFile != -1) return noErr;
    OSErr err = ResError();
    if (permission == fsRdPerm) return err != noErr ? err : fnfErr;
    if (!gPrefsOpenFailureReported) ReportFileError(err != noErr ? err : fnfErr, fileSpec.name, kFileActionOpen);
    gPrefsOpenFailureReported = true;
    permission = fsRdPerm;  // once more, read only
  }
}

OSErr UsePrefsResFile() { return OpenPrefsResFile(fsRdWrPerm); }

void CheckPrefsResFileOpen() {
  if (gPrefsResFile == -1) return;
  FSSpec fileSpec;
  GetPrefsFileSpec(&fileSpec);
  Boolean inChain = false;
  int16_t refNum = -1;
  if (!FSpResourceFileAlreadyOpen(&fileSpec, &inChain, &refNum)) gPrefsResFile = -1;
}

OSErr LoadFrameworkBundle(CFStringRef name, CFBundleRef* bundle) {
  if (!bundle) return paramErr;
  *bundle = nullptr;
  FSRef folder;
  OSErr err = FSFindFolder(kOnAppropriateDisk, kFrameworksFolderType, kDontCreateFolder, &folder);
  if (err != noErr) return err;
  CFURLRef folderURL = CFURLCreateFromFSRef(nullptr, &folder);
  CFURLRef bundleURL =
      folderURL ? CFURLCreateCopyAppendingPathComponent(nullptr, folderURL, name, true) : nullptr;
  CFBundleRef made = bundleURL ? CFBundleCreate(nullptr, bundleURL) : nullptr;
  bool loaded = made && CFBundleLoadExecutable(made);
  if (bundleURL) CFRelease(bundleURL);
  if (folderURL) CFRelease(folderURL);
  if (!loaded) {
    if (made) CFRelease(made);
    return -4960;  // coreFoundationUnknownErr
  }
  *bundle = made;
  return noErr;
}

void WarpMouseTo(int32_t x, int32_t y) {
  if (!gWarpProc) {
    CFBundleRef bundle = nullptr;
    if (LoadFrameworkBundle(CFSTR("ApplicationServices.framework"), &bundle) != noErr) return;
    gWarpProc = reinterpret_cast<WarpProc>(
        CFBundleGetFunctionPointerForName(bundle, CFSTR("CGWarpMouseCursorPosition")));
    auto suppress = reinterpret_cast<SuppressionProc>(
        CFBundleGetFunctionPointerForName(bundle, CFSTR("CGSetLocalEventsSuppressionInterval")));
    if (gWarpProc && suppress) suppress(0.0);
    if (gWarpProc)
      gWarpBundle = bundle;
    else
      CFRelease(bundle);
  }
  if (gWarpProc) gWarpProc(float(x), float(y));
}

void ResetWarpMouseLookup() {
  gWarpProc = nullptr;
  if (gWarpBundle) CFRelease(gWarpBundle);
  gWarpBundle = nullptr;
}
