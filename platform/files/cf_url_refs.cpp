#include "platform/files/cf_url_refs.h"

#include <sys/stat.h>

#include "platform/files/file_locations.h"

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref) {
  if (!ref) return nullptr;
  std::string path = RefToPath(ref);
  if (path.empty()) return nullptr;
  struct stat info;
  bool isDirectory = stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  return CFURLCreateWithPOSIXPath(path, isDirectory);
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref) {
  if (!url || !ref) return false;
  std::string path = CFURLGetPOSIXPath(url);
  return !path.empty() && FSPathMakeRef(path, ref) == noErr;
}
