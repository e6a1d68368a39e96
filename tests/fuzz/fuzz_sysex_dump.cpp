// Feeds arbitrary bytes to the system-exclusive dump reader: every message it finds must run
// from an F0 to an F7 with only data bytes between, and a refused dump holds no handle. The
// whole import then runs on the same bytes as a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/memory/memory.h"
#include "song/documents/sysex_dumps.h"
#include "song/model/song_database.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t handles = CountLiveHandles();
  Handle messages;
  std::vector<uint32_t> lengths;
  OSErr err = CollectSysExMessages(data, uint32_t(size), &messages, &lengths);
  if (err != noErr) {
    if (messages || !lengths.empty() || CountLiveHandles() != handles) std::abort();
  } else {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(messages));
    uint32_t at = 0;
    for (uint32_t n : lengths) {
      if (n < 2 || p[at] != 0xF0 || p[at + n - 1] != 0xF7) std::abort();
      for (uint32_t i = 1; i + 1 < n; ++i)
        if (p[at + i] >= 0x80) std::abort();
      at += n;
    }
    if (at != uint32_t(GetHandleSize(messages))) std::abort();
    DisposeHandle(messages);
  }

  FSSpec fileSpec = WriteFuzzFile("dump.syx", data, size);
  ResetSongDatabase();
  SysExDumpResult result;
  if (ImportSysExDump(&fileSpec, 1, &result) == noErr && result.messages != int32_t(lengths.size()))
    std::abort();
  return 0;
}
