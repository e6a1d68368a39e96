#include "media/file_locations.h"

#include <cstring>

#include "platform/text/mac_roman.h"

bool IsSameFileSpec(const FSSpec* a, const FSSpec* b) { return IsSameFSSpec(a, b); }

OSErr ResolveAliasNoUI(Handle alias, FSSpec* fileSpec, Boolean* wasChanged) {
  Boolean changed = false;
  OSErr err = ResolveAliasWithMountFlags(nullptr, alias, fileSpec, &changed, kResolveAliasFileNoUI);
  if (wasChanged) *wasChanged = changed;
  return err;
}

OSErr GetSpecHfsPath(const FSSpec* fileSpec, StringPtr path, int16_t bufferSize) {
  FSRef ref;
  OSErr err = FSpMakeFSRef(fileSpec, &ref);
  if (err != noErr) return err;
  int maxLen = bufferSize - 1 < 255 ? bufferSize - 1 : 255;
  UTF8ToPString(SpecToHFSPath(fileSpec), path, maxLen < 0 ? 0 : maxLen);
  return noErr;
}

int16_t SplitLastPathComponent(StringPtr path, StringPtr name) {
  int length = path[0];
  int end = length;
  if (end > 0 && path[end] == ':') --end;  // a folder path ends with its separator
  int start = end;
  while (start > 0 && path[start] != ':') --start;
  int n = end - start;
  std::memmove(name + 1, path + start + 1, size_t(n));
  name[0] = static_cast<unsigned char>(n);
  path[0] = static_cast<unsigned char>(start);
  return 1;
}
