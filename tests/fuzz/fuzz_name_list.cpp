// Name-list file reader, as either file type (by the input's length): a list that is taken
// holds a names block whose strings all fit and an event list that walks to its end record;
// a refused one gives an error, no handle, and nothing left allocated.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/files/forks.h"
#include "platform/files/sidecars.h"
#include "platform/memory/memory.h"
#include "song/documents/import_files.h"
#include "song/instruments/name_lists.h"
#include "tests/fuzz/fuzz_event_lists.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

FSSpec NameListFile(const uint8_t* data, size_t size) {
  static FSSpec files[2];
  static bool ready = false;
  if (!ready) {
    for (int kind = 0; kind < 2; ++kind) {
      files[kind] = WriteFuzzFile(kind ? "names.mpn2" : "names.mpnm", nullptr, 0);
      FInfo info;
      if (FSpGetFInfo(&files[kind], &info) != noErr) std::abort();
      info.fdType = kind ? kNameList2Type : kNameListType;
      if (FSpSetFInfo(&files[kind], &info) != noErr) std::abort();
    }
    ready = true;
  }
  // The Finder info stays in its sidecar while the data fork is written again.
  return WriteFuzzFile(size % 2 ? "names.mpn2" : "names.mpnm", data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FSSpec fileSpec = NameListFile(data, size);
  uint32_t handles = CountLiveHandles();
  int forks = CountOpenForks();
  NameListResult result;
  OSErr err = ImportNameList(&fileSpec, &result);
  if (CountOpenForks() != forks) std::abort();
  if (err != noErr) {
    if (result.names || result.events || CountLiveHandles() != handles) std::abort();
    return 0;
  }
  if (!IsValidNameList(result.names)) std::abort();
  if (result.events) {
    CheckEventListWalks(result.events, false);
    DisposeHandle(result.events);
  }
  DisposeHandle(result.names);
  return 0;
}
