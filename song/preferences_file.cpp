// Interim: only the preferences file's place and its opening; the settings it holds are
// written and read by the preferences writer and reader.
#include "song/preferences_file.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/file_access.h"
#include "shell/resource_files.h"

namespace {
constexpr int16_t kAppNameStringId = 1000;
bool gHaveSpec = false;
FSSpec gPrefsSpec;

void BuildPrefsFileName(StringPtr name) {
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
  const unsigned char kSuffix[] = "\016 7 Preferences";
  AppendPString(name, kSuffix);
  if (name[0] > 31) name[0] = 31;
}
}  // namespace

OSErr GetPrefsFileSpec(FSSpec* spec) {
  if (!gHaveSpec) {
    Str255 name;
    BuildPrefsFileName(name);
    int16_t vRefNum = 0;
    int32_t dirID = 0;
    OSErr err = FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID);
    if (err != noErr) {
      // No Preferences folder: the application's own folder serves.
      FSSpec appFolder;
      GetApplicationFolderSpec(&appFolder);
      vRefNum = appFolder.vRefNum;
      dirID = DirIDForPath(GetApplicationFolder());
    }
    err = FSMakeFSSpec(vRefNum, dirID, name, &gPrefsSpec);
    if (err != noErr && err != fnfErr) return err;
    gHaveSpec = true;
  }
  *spec = gPrefsSpec;
  return noErr;
}

OSErr OpenPrefsDataFork(int16_t* refNum) {
  FSSpec spec;
  OSErr err = GetPrefsFileSpec(&spec);
  if (err != noErr) return err;
  err = OpenDataFork(&spec, fsRdWrPerm, refNum);
  if (err == noErr) return noErr;
  FSpCreate(&spec, kAppCreator, kPrefsFileType, -1);
  return OpenDataFork(&spec, fsRdWrPerm, refNum);
}

void ForgetPrefsFileSpec() { gHaveSpec = false; }
