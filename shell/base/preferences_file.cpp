#include "shell/base/preferences_file.h"

#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/files/host_files.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/file_replacement.h"
#include "shell/base/resource_files.h"

namespace {
constexpr int16_t kAppNameStringId = 1000;
constexpr int32_t kPrefsSetAsideMessage = 87;
// The largest old data fork taken over; a real one is a few kilobytes.
constexpr uint32_t kMaxMigratedDataFork = 16u << 20;

bool gHaveSpec = false;
FSSpec gPrefsSpec;

void GetAppName(StringPtr name) {
  Handle appName = GetResource(FourCC("STR "), kAppNameStringId);
  const unsigned char kDefaultName[] = "\005Zarin";
  name[0] = 0;
  if (appName && GetHandleSize(appName) > 0) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(*appName);
    Size size = GetHandleSize(appName);
    CopyPString(p, name, p[0] < size ? 255 : int(size) - 1);
  } else {
    PLstrcpy(name, kDefaultName);
  }
}

void BuildPrefsFileName(StringPtr name, ConstStr255Param suffix) {
  GetAppName(name);
  AppendPString(name, suffix);
  if (name[0] > 31) name[0] = 31;
}

// The Preferences folder, or the application's own folder when there is none.
void FindPrefsFolder(int16_t* vRefNum, int32_t* dirID) {
  OSErr err = FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, vRefNum, dirID);
  if (err == noErr) return;
  FSSpec appFolder;
  GetApplicationFolderSpec(&appFolder);
  *vRefNum = appFolder.vRefNum;
  *dirID = DirIDForPath(GetApplicationFolder());
}

OSErr MakeSpecInPrefsFolder(ConstStr255Param name, FSSpec* fileSpec) {
  int16_t vRefNum = 0;
  int32_t dirID = 0;
  FindPrefsFolder(&vRefNum, &dirID);
  OSErr err = FSMakeFSSpec(vRefNum, dirID, name, fileSpec);
  return err == fnfErr ? OSErr(noErr) : err;
}

// The whole data fork of a file, at most maxBytes, into a new handle.
OSErr ReadWholeDataFork(const FSSpec* fileSpec, uint32_t maxBytes, Handle* out) {
  *out = Handle();
  int16_t refNum = 0;
  OSErr err = OpenDataFork(fileSpec, fsRdPerm, &refNum);
  if (err != noErr) return err;
  uint32_t size = 0;
  err = GetForkSize(refNum, &size);
  if (err == noErr && size > maxBytes) err = ioErr;
  if (err == noErr) {
    *out = NewHandle(Size(size));
    err = *out ? OSErr(noErr) : MemError();
  }
  if (err == noErr && size > 0) {
    uint32_t count = size;
    err = ReadFork(refNum, &count, **out);
    if (err == noErr && count != size) err = eofErr;
  }
  CloseFork(refNum);
  if (err != noErr && *out) {
    DisposeHandle(*out);
    *out = Handle();
  }
  return err;
}

// Writes bytes as the data fork of a new file (creator, type) through a temporary file.
OSErr WriteNewDataFork(const FSSpec* fileSpec, Handle data, OSType creator, OSType fileType) {
  FSSpec temp;
  int16_t refNum = 0;
  OSErr err = BeginDataForkReplacement(fileSpec, &temp, &refNum);
  if (err != noErr) return err;
  uint32_t count = uint32_t(GetHandleSize(data));
  if (count > 0) err = WriteFork(refNum, &count, *data);
  if (err == noErr) err = FSFlushFork(refNum);
  OSErr closeErr = CloseFork(refNum);
  if (err == noErr) err = closeErr;
  if (err == noErr) err = CommitDataForkReplacement(&temp, fileSpec, creator, fileType);
  if (err != noErr) AbandonDataForkReplacement(&temp);
  return err;
}
}  // namespace

OSErr GetPrefsFileSpec(FSSpec* fileSpec) {
  if (!gHaveSpec) {
    Str255 name;
    const unsigned char kSuffix[] = "\016 7 Preferences";
    BuildPrefsFileName(name, kSuffix);
    OSErr err = MakeSpecInPrefsFolder(name, &gPrefsSpec);
    if (err != noErr) return err;
    gHaveSpec = true;
  }
  *fileSpec = gPrefsSpec;
  return noErr;
}

OSErr GetOldPrefsFileSpec(FSSpec* fileSpec) {
  Str255 name;
  const unsigned char kSuffix[] = "\014 Preferences";
  BuildPrefsFileName(name, kSuffix);
  return MakeSpecInPrefsFolder(name, fileSpec);
}

OSErr OpenPrefsDataFork(int16_t* refNum) {
  FSSpec fileSpec;
  OSErr err = GetPrefsFileSpec(&fileSpec);
  if (err != noErr) return err;
  err = OpenDataFork(&fileSpec, fsRdWrPerm, refNum);
  if (err == noErr) return noErr;
  FSpCreate(&fileSpec, kAppCreator, kPrefsFileType, -1);
  return OpenDataFork(&fileSpec, fsRdWrPerm, refNum);
}

void ForgetPrefsFileSpec() { gHaveSpec = false; }

OSErr SetDamagedFileAside(const FSSpec* fileSpec, int32_t messageCode) {
  const unsigned char kSuffix[] = "\010.damaged";
  Str255 asideName;
  PLstrcpy(asideName, fileSpec->name);
  if (asideName[0] > 31 - kSuffix[0]) asideName[0] = uint8_t(31 - kSuffix[0]);
  AppendPString(asideName, kSuffix);
  FSSpec aside;
  if (FSMakeFSSpec(fileSpec->vRefNum, fileSpec->parID, asideName, &aside) == noErr) FSpDelete(&aside);
  OSErr err = FSpRename(fileSpec, asideName);
  if (err == noErr) ReportFileNote(messageCode, fileSpec->name, -1);
  return err;
}

OSErr SetDamagedPrefsFileAside() {
  FSSpec fileSpec;
  OSErr err = GetPrefsFileSpec(&fileSpec);
  if (err != noErr) return err;
  return SetDamagedFileAside(&fileSpec, kPrefsSetAsideMessage);
}

OSErr MigratePreferencesFile() {
  FSSpec fileSpec;
  FSSpec old;
  OSErr err = GetPrefsFileSpec(&fileSpec);
  if (err != noErr) return err;
  if (SpecExists(&fileSpec)) return noErr;
  err = GetOldPrefsFileSpec(&old);
  if (err != noErr || !SpecExists(&old)) return noErr;
  Handle data;
  err = ReadWholeDataFork(&old, kMaxMigratedDataFork, &data);
  if (err != noErr) return err;
  err = WriteNewDataFork(&fileSpec, data, kAppCreator, kPrefsFileType);
  DisposeHandle(data);
  if (err != noErr) return err;
  std::string forkBytes;
  if (ReadResourceForkBytes(&old, &forkBytes) != noErr || forkBytes.empty()) return noErr;
  err = WriteResourceForkBytes(&fileSpec, forkBytes);
  if (err != noErr) FSpDelete(&fileSpec);  // half a copy: the next start takes the old file again
  return err;
}

void CloseResFileUseApp(int16_t refNum) {
  CloseResFile(refNum);
  UseResFile(gAppResFile);
}
