#include "plugins/catalog_info.h"

#include <cstring>

OSErr GetCatInfoOfSpec(FSSpec* fileSpec) {
  CInfoPBRec pb;
  Str255 name;
  std::memcpy(name, fileSpec->name, size_t(fileSpec->name[0]) + 1);
  pb.ioNamePtr = name;
  pb.ioVRefNum = fileSpec->vRefNum;
  pb.ioDirID = fileSpec->parID;
  pb.ioFDirIndex = name[0] == 0 ? -1 : 0;
  OSErr err = PBGetCatInfoSync(&pb);
  if (err == noErr && (pb.ioFlAttrib & kioFlAttribDirMask) && name[0] == 0) {
    fileSpec->parID = pb.ioFlParID;
    std::memcpy(fileSpec->name, name, size_t(name[0] < 63 ? name[0] : 63) + 1);
    fileSpec->name[0] = name[0] < 63 ? name[0] : 63;
  }
  return err;
}
