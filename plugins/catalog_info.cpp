#include "plugins/catalog_info.h"

#include <cstring>

OSErr GetCatInfoOfSpec(FSSpec* spec) {
  CInfoPBRec pb;
  Str255 name;
  std::memcpy(name, spec->name, size_t(spec->name[0]) + 1);
  pb.ioNamePtr = name;
  pb.ioVRefNum = spec->vRefNum;
  pb.ioDirID = spec->parID;
  pb.ioFDirIndex = name[0] == 0 ? -1 : 0;
  OSErr err = PBGetCatInfoSync(&pb);
  if (err == noErr && (pb.ioFlAttrib & kioFlAttribDirMask) && name[0] == 0) {
    spec->parID = pb.ioFlParID;
    std::memcpy(spec->name, name, size_t(name[0] < 63 ? name[0] : 63) + 1);
    spec->name[0] = name[0] < 63 ? name[0] : 63;
  }
  return err;
}
