#include "shell/base/bmid_resources.h"

#include "platform/files/file_types.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/resource_files.h"

OSErr WriteBMIDResource(Handle* h, int16_t id, ConstStr255Param name, bool inPrefs) {
  if (inPrefs) {
    UsePrefsResFile();
    if (gPrefsResFile == -1) return ResError() != noErr ? ResError() : OSErr(fnfErr);
  }
  OSErr err = noErr;
  if (h && *h) {
    static const unsigned char kNoName[] = "";
    RemoveResourceById(kSettingsResType, id, kNoName, true);
    AddResource(*h, kSettingsResType, id, name ? name : kNoName);
    err = ResError();
    if (err == noErr) {
      WriteResource(*h);
      err = ResError();
      DetachResource(*h);
    }
  }
  if (inPrefs) UseAppResFile();
  return err;
}

void RemoveResourceById(ResType type, int16_t id, ConstStr255Param name, bool byId) {
  Handle h = byId ? Get1Resource(type, id) : Get1NamedResource(type, name);
  if (!h) return;
  RemoveResource(h);
  DisposeHandle(h);
}

void RemoveSettingsResource(int16_t id) {
  static const unsigned char kNoName[] = "";
  RemoveResourceById(kSettingsResType, id, kNoName, true);
}
