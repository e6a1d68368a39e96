// Alias record reader: any bytes in a handle are read or refused without reading outside it;
// a record that reads resolves or gives fnfErr, and a record updated in place reads again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/files/aliases.h"
#include "platform/memory/memory.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FSSpec referrer = WriteFuzzFile("song", nullptr, 0);
  Handle alias;
  if (PtrToHand(data, &alias, Size(size)) != noErr) return 0;
  Str63 name;
  OSErr err = GetAliasInfo(alias, asiAliasName, name);
  if (err != noErr && err != paramErr) std::abort();
  if (err == noErr) {
    if (name[0] > 63) std::abort();
    for (SInt16 index : {SInt16(asiZoneName), SInt16(asiVolumeName), SInt16(asiParentName), SInt16(3)})
      if (GetAliasInfo(alias, index, name) != noErr) std::abort();
    FSSpec target;
    Boolean changed = false;
    err = ResolveAlias(&referrer, alias, &target, &changed);
    if (err == noErr && changed && GetAliasInfo(alias, asiAliasName, name) != noErr) std::abort();
    if (UpdateAlias(&referrer, &referrer, alias, &changed) != noErr) std::abort();
    if (ResolveAlias(&referrer, alias, &target, &changed) != noErr) std::abort();
  } else if (ResolveAlias(&referrer, alias, nullptr, nullptr) != paramErr) {
    std::abort();
  }
  DisposeHandle(alias);
  return 0;
}
